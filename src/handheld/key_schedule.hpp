// The keys a headless run holds, as the command line gives them:
// "60:A,90:-,120:START+UP" holds A from frame 60, nothing from frame 90, and
// Start with Up from frame 120 on. Frames count from 0, the first frame after
// power-on; before the first item no key is held.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/status.hpp"

namespace kessra::handheld {

// The largest frame number or count the command line takes.
inline constexpr std::uint32_t MAX_FRAME = 0x7FFFFFFF;

struct KeyChange {
    std::uint32_t frame; // the first frame the keys are held in
    std::uint16_t keys;  // the handheld's key bits (emu::Key), set = pressed
};

// Frames strictly increasing.
using KeySchedule = std::vector<KeyChange>;

// True when `text` is `name` with letters in any case (names of keys and
// save chips on the command line).
bool same_name_in_any_case(std::string_view text, const char* name);

// A frame number: decimal digits only, at most MAX_FRAME.
std::optional<std::uint32_t> parse_frame_number(std::string_view text);

// Items "FRAME:KEYS" joined by ",", KEYS being key names (A B SELECT START
// RIGHT LEFT UP DOWN R L, in any case) joined by "+", or "-" for none. The
// frames must increase from item to item. A failure says which item is wrong
// and why.
Result<KeySchedule> parse_key_schedule(std::string_view text);

} // namespace kessra::handheld
