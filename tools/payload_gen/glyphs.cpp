#include "payload_gen/glyphs.hpp"

#include <array>

namespace kessra::payload_gen {

namespace {

struct Glyph {
    char c;
    std::array<std::uint8_t, GLYPH_HEIGHT> rows;
};

// Lower-case letters sit on the baseline with a five-row body; 'k' rises
// to the top row.
constexpr std::array<Glyph, 5> FONT{{
    {'a', {0b00000, 0b00000, 0b01110, 0b00001, 0b01111, 0b10001, 0b01111}},
    {'e', {0b00000, 0b00000, 0b01110, 0b10001, 0b11111, 0b10000, 0b01110}},
    {'k', {0b10000, 0b10000, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010}},
    {'r', {0b00000, 0b00000, 0b10110, 0b11001, 0b10000, 0b10000, 0b10000}},
    {'s', {0b00000, 0b00000, 0b01111, 0b10000, 0b01110, 0b00001, 0b11110}},
}};

} // namespace

const std::uint8_t* glyph_rows(char c) {
    for (const Glyph& g : FONT)
        if (g.c == c) return g.rows.data();
    return nullptr;
}

int text_width(std::string_view text, int scale) {
    if (text.empty()) return 0;
    return (static_cast<int>(text.size()) * (GLYPH_WIDTH + 1) - 1) * scale;
}

void draw_text(Picture& pic, int x, int y, int scale, int corner, std::string_view text, Rgba colour) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint8_t* rows = glyph_rows(text[i]);
        if (rows == nullptr) continue;
        const int left = x + static_cast<int>(i) * (GLYPH_WIDTH + 1) * scale;
        for (int row = 0; row < GLYPH_HEIGHT; ++row) {
            for (int col = 0; col < GLYPH_WIDTH; ++col) {
                if ((rows[row] >> (GLYPH_WIDTH - 1 - col) & 1) == 0) continue;
                const int px = left + col * scale;
                const int py = y + row * scale;
                rounded_box(pic, {px, py, px + scale, py + scale}, corner, colour);
            }
        }
    }
}

} // namespace kessra::payload_gen
