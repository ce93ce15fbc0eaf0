#include "handheld/play.hpp"

namespace kessra::handheld {

std::unique_ptr<emu::Gba> power_on(std::span<const std::uint8_t> rom) {
    if (rom.size() < emu::kRomMinSize || rom.size() > emu::kRomMaxSize) return nullptr;
    // Several hundred KiB: never on the stack. gba_init sets every byte.
    std::unique_ptr<emu::Gba> gba(new emu::Gba);
    if (!emu::gba_init(*gba, rom.data(), static_cast<std::uint32_t>(rom.size()))) return nullptr;
    return gba;
}

void play_frames(emu::Gba& gba, std::uint32_t frames, const KeySchedule& keys) {
    std::size_t next = 0; // the schedule's frames increase
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        if (next < keys.size() && keys[next].frame == frame) emu::gba_set_keys(gba, keys[next++].keys);
        emu::gba_run_frame(gba);
    }
}

} // namespace kessra::handheld
