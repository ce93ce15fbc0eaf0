// Text from the disk shown on the console or in the listing: control bytes
// would drive the terminal, so each is shown as "?".
#pragma once

#include <string>
#include <string_view>

namespace kessra {

inline bool is_control_byte(unsigned char c) { return c < 0x20 || c == 0x7F; }

inline std::string printable(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        if (is_control_byte(static_cast<unsigned char>(c))) c = '?';
    }
    return shown;
}

} // namespace kessra
