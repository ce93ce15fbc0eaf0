// The banner's five texts. Each is a fixed-width field of single-byte text in
// the Windows-1252 character set, padded with NULs and always ending in one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/payload_layout.hpp"
#include "platform/status.hpp"

namespace kessra {

struct BannerTextField {
    const char* option;   // the command-line option that sets it
    std::uint32_t offset; // in the banner
    std::uint32_t width;  // field bytes, the final NUL included
    bool line_feeds;      // may hold line feeds
};

inline constexpr std::size_t BANNER_TEXT_COUNT = 5;
inline constexpr std::array<BannerTextField, BANNER_TEXT_COUNT> BANNER_TEXT_FIELDS{{
    {"-title", BANNER_SHORT_TITLE_OFFSET, 32, false},
    {"-maker", BANNER_SHORT_MAKER_OFFSET, 32, false},
    {"-long-title", BANNER_LONG_TITLE_OFFSET, 64, false},
    {"-long-maker", BANNER_LONG_MAKER_OFFSET, 64, false},
    {"-description", BANNER_DESCRIPTION_OFFSET, 128, true},
}};
static_assert(BANNER_DESCRIPTION_OFFSET + 128 == BANNER_SIZE, "the description is the banner's last field");

// The Windows-1252 byte of a Unicode code point, or -1 when it has none.
int windows1252_byte(char32_t code_point);

// Converts UTF-8 text for `field`. Refused: text that is not UTF-8, a
// character outside Windows-1252, a control character (a line feed is
// allowed in the description), and text longer than the field less its NUL.
// The message names the option.
Result<std::string> to_banner_text(std::string_view utf8, const BannerTextField& field);

} // namespace kessra
