#include "platform/status.hpp"

#include <cstring>

namespace kessra {

std::string io_error_line(const std::string& file, const char* what, int error_number) {
    std::string line = file;
    line += ": ";
    line += what;
    line += " failed: ";
    line += error_number != 0 ? std::strerror(error_number) : "unexpected end of file";
    return line;
}

} // namespace kessra
