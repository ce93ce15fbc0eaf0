// Reads the text that the NBA hardware tests and jsmolka's tests draw (one
// 8x8 font on a plain background) and the verdict it states.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "harness.hpp"

namespace emu_harness {

// The screen's lines on the 8x8 grid (offset up to 7 pixels either way)
// where the most cells are known glyphs: a known glyph as its character,
// blank cells as spaces, any other ink as '?'; trailing spaces removed. The
// background is the most common colour.
std::vector<std::string> read_screen_text(const Frame& frame);

enum class TextVerdict { kPassed, kFailed, kNone };
void PrintTo(TextVerdict verdict, std::ostream* out);
// "pass: N" / "total: M" lines decide (N == M > 0); without them the words
// PASS and FAIL do (no FAIL and at least one PASS); kNone when neither shows.
TextVerdict judge_screen_text(const std::vector<std::string>& lines);

// The lines joined with newlines, for a message.
std::string join_lines(const std::vector<std::string>& lines);

} // namespace emu_harness
