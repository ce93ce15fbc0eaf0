// A tiny 5 x 7 pixel font, just the letters the artwork needs.
#pragma once

#include <string_view>

#include "payload_gen/raster.hpp"

namespace kessra::payload_gen {

inline constexpr int GLYPH_WIDTH = 5;
inline constexpr int GLYPH_HEIGHT = 7;

// Row bits of a glyph, bit 4 the leftmost column; null for characters
// the font lacks (they are drawn as blanks).
const std::uint8_t* glyph_rows(char c);

// Width in pixels of text drawn at the given scale (one blank column between letters).
int text_width(std::string_view text, int scale);

// Draws text with its top-left corner at (x, y), each font pixel a
// scale x scale square whose corners are rounded by corner pixels.
void draw_text(Picture& pic, int x, int y, int scale, int corner, std::string_view text, Rgba colour);

} // namespace kessra::payload_gen
