// Our core through its top-level API.
#include <algorithm>
#include <memory>

#include "emu/gba.hpp"
#include "harness.hpp"

namespace emu_harness {

std::optional<std::vector<Snapshot>> run_ours(std::span<const uint8_t> rom, std::span<const uint32_t> at,
                                              const KeySchedule& keys) {
    if (rom.size() > emu::kRomMaxSize) return std::nullopt;
    auto gba = std::make_unique<emu::Gba>();
    if (!emu::gba_init(*gba, rom.data(), static_cast<uint32_t>(rom.size()))) return std::nullopt;
    uint32_t last = at.empty() ? 0 : *std::max_element(at.begin(), at.end());
    std::vector<Snapshot> snapshots(at.size());
    for (uint32_t frame = 0; frame < last; ++frame) {
        emu::gba_set_keys(*gba, keys.keys_at(frame));
        emu::gba_run_frame(*gba);
        for (std::size_t i = 0; i < at.size(); ++i) {
            if (at[i] != frame + 1) continue;
            snapshots[i].frames = frame + 1;
            std::copy(gba->frame, gba->frame + kWidth * kHeight, snapshots[i].frame.pixels.begin());
            snapshots[i].ewram_head.assign(gba->mem.ewram, gba->mem.ewram + kEwramHead);
        }
    }
    return snapshots;
}

} // namespace emu_harness
