#include "personalize/banner_text.hpp"

#include <cstdio>

namespace kessra {

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char32_t, 32> HIGH_CONTROL_BLOCK{0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one UTF-8 sequence at `at`; -1 for a malformed one (overlong
// forms, surrogates and values past U+10FFFF included).
long next_code_point(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    long value = 0, minimum = 0;
    if ((lead & 0xE0) == 0xC0) extra = 1, value = lead & 0x1F, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0) extra = 2, value = lead & 0x0F, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0) extra = 3, value = lead & 0x07, minimum = 0x10000;
    else return -1;
    for (int i = 0; i < extra; ++i) {
        if (at >= text.size()) return -1;
        const auto next = static_cast<unsigned char>(text[at++]);
        if ((next & 0xC0) != 0x80) return -1;
        value = value << 6 | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
    return value;
}

std::string code_point_name(long value) {
    char text[24];
    std::snprintf(text, sizeof text, "U+%04lX", static_cast<unsigned long>(value));
    return text;
}

} // namespace

int windows1252_byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (std::size_t i = 0; i < HIGH_CONTROL_BLOCK.size(); ++i)
        if (HIGH_CONTROL_BLOCK[i] != 0 && HIGH_CONTROL_BLOCK[i] == c) return static_cast<int>(0x80 + i);
    return -1;
}

Result<std::string> to_banner_text(std::string_view utf8, const BannerTextField& field) {
    const std::string option = field.option;
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t start = at;
        const long value = next_code_point(utf8, at);
        if (value < 0)
            return {
                Status::failure(option + ": the text is not valid UTF-8 (at byte " + std::to_string(start + 1) + ")"),
                {}};
        if (value == '\n' && field.line_feeds) {
            out.push_back('\n');
            continue;
        }
        if (value < 0x20 || value == 0x7F)
            return {Status::failure(option + ": control character " + code_point_name(value) + " is not allowed" +
                                    (field.line_feeds ? " (only line feeds are)" : "")),
                    {}};
        const int byte = windows1252_byte(static_cast<char32_t>(value));
        if (byte < 0) {
            // A control character of the upper block (U+0080 to U+009F) would
            // drive the terminal: only its number is shown.
            std::string shown;
            if (value >= 0xA0) {
                shown += '"';
                shown.append(utf8.substr(start, at - start));
                shown += "\" (";
            }
            shown += code_point_name(value);
            if (value >= 0xA0) shown += ')';
            return {Status::failure(option + ": the character " + shown +
                                    " is not in the banner's character set (Latin-1, Windows-1252)"),
                    {}};
        }
        out.push_back(static_cast<char>(byte));
    }
    const std::size_t limit = field.width - 1;
    if (out.size() > limit)
        return {Status::failure(option + ": the text is " + std::to_string(out.size()) + " bytes long; at most " +
                                std::to_string(limit) + " bytes fit"),
                {}};
    return success(std::move(out));
}

} // namespace kessra
