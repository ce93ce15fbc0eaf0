#include "disc_split/disc_naming.hpp"

#include "catalogue/rom_record.hpp"
#include "platform/paths.hpp"

namespace kessra {

namespace {

#ifdef _WIN32
constexpr const char* SEPARATORS = "\\/:"; // a drive letter ends in a colon
#else
constexpr const char* SEPARATORS = "/";
#endif

std::string numbering(std::size_t number, std::size_t count) {
    std::string text(1, ' ');
    text.append(std::to_string(number)).append(1, '/').append(std::to_string(count));
    return text;
}

} // namespace

std::string disc_image_path(const std::string& image_path, std::size_t number) {
    const std::size_t separator = image_path.find_last_of(SEPARATORS);
    const std::size_t name_start = separator == std::string::npos ? 0 : separator + 1;
    std::size_t dot = image_path.rfind('.');
    // A leading dot starts a hidden name, not an extension.
    if (dot == std::string::npos || dot <= name_start) dot = image_path.size();
    std::string path = image_path.substr(0, dot);
    path.append(1, '_').append(std::to_string(number)).append(image_path, dot);
    return path;
}

std::string disc_volume_label(const std::string& label, std::size_t number, std::size_t count) {
    // The widest numbering is the last disc's: all discs are numbered, or none.
    if (label.size() + numbering(count, count).size() > MAX_NAME_LENGTH) return label;
    return label + numbering(number, count);
}

} // namespace kessra
