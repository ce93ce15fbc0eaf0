#include <windows.h>

#include "platform/win32_status.hpp"

namespace kessra {

std::string win32_error_text(unsigned long error_code) {
    char buffer[512];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error_code,
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
        text.pop_back();
    }
    if (text.empty()) return "error " + std::to_string(error_code);
    return text;
}

std::string win32_error_line(const std::string& file, const char* what, unsigned long error_code) {
    return file + ": " + what + " failed: " + win32_error_text(error_code);
}

} // namespace kessra
