// What the ROM tests share: where the ROMs are, running one through both
// emulators, and keeping a picture that did not match for a look.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "harness.hpp"

namespace emu_harness {

// The path of a ROM of the shared suites (relative to their folder), or
// nullopt when the folder or the file is absent.
std::optional<std::string> shared_rom(const std::string& relative);
// The path of one of our own test ROMs, or nullopt when they were not built.
std::optional<std::string> own_rom(const std::string& name);
// The path of a picture under tests/emu/expected.
std::string expected_picture(const std::string& name);
// Writes the frame under the build's emu-frames folder as NAME.png and
// returns the path ("" when it could not be written).
std::string keep_frame(const std::string& name, const Frame& frame);

// The first snapshot equal to the picture, or nullptr.
const Snapshot* first_match(const std::vector<Snapshot>& snapshots, const Frame& picture);

} // namespace emu_harness
