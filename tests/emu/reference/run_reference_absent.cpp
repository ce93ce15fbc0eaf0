// The build found no libmgba: there is no reference to run.
#include "harness.hpp"

namespace emu_harness {

bool reference_available() { return false; }

std::optional<std::vector<Snapshot>> run_reference(std::span<const uint8_t>, std::span<const uint32_t>,
                                                   const KeySchedule&) {
    return std::nullopt;
}

std::optional<Sound> sound_reference(std::span<const uint8_t>, uint32_t, uint32_t) { return std::nullopt; }

} // namespace emu_harness
