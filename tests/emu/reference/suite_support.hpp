// What the ROM tests share: where the ROMs are, running one through both
// emulators, and keeping a picture that did not match for a look.
#pragma once

#include <optional>
#include <ostream>
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

// The verdict block our test ROMs keep at 0x02000000 (runtime/rt.h).
enum class RomState { kMissing, kRunning, kPassed, kFailed };
void PrintTo(RomState state, std::ostream* out);
struct RomVerdict {
    RomState state = RomState::kMissing;
    uint32_t checks = 0;
    uint32_t failed = 0;
    std::string failures; // "NAME got X want Y" lines of the failed checks
};
RomVerdict read_verdict(const Snapshot& snapshot);
// Of the snapshot's block: the spare word `index` (0-2), 0 if absent.
uint32_t verdict_spare(const Snapshot& snapshot, std::size_t index);

// The first snapshot equal to the picture, or nullptr.
const Snapshot* first_match(const std::vector<Snapshot>& snapshots, const Frame& picture);

} // namespace emu_harness
