#include "platform/status.hpp"

#include <cstring>

namespace kessra {

Status Status::failures(std::vector<std::string> lines) {
    Status status = failure(lines.empty() ? std::string() : std::move(lines.front()));
    if (!lines.empty())
        status.more_lines.assign(std::make_move_iterator(lines.begin() + 1), std::make_move_iterator(lines.end()));
    return status;
}

std::string io_error_line(const std::string& file, const char* what, int error_number) {
    std::string line = file;
    line += ": ";
    line += what;
    line += " failed: ";
    line += error_number != 0 ? std::strerror(error_number) : "unexpected end of file";
    return line;
}

} // namespace kessra
