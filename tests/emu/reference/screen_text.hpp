// Reads the text that the NBA hardware tests draw (an 8x8 font on a plain
// background, 30 columns and 20 lines) and the verdict it states.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "harness.hpp"

namespace emu_harness {

// The screen's 20 lines: a known glyph as its character, blank cells as
// spaces, any other ink as '?'; trailing spaces removed. The background is
// the most common colour.
std::vector<std::string> read_screen_text(const Frame& frame);

enum class TextVerdict { kPassed, kFailed, kNone };
void PrintTo(TextVerdict verdict, std::ostream* out);
// "pass: N" / "total: M" lines decide (N == M > 0); without them the words
// PASS and FAIL do (no FAIL and at least one PASS); kNone when neither shows.
TextVerdict judge_screen_text(const std::vector<std::string>& lines);

// The lines joined with newlines, for a message.
std::string join_lines(const std::vector<std::string>& lines);

} // namespace emu_harness
