#include "handheld/play.hpp"

#include "emu/apu.hpp"

namespace kessra::handheld {

std::unique_ptr<emu::Gba> power_on(std::span<const std::uint8_t> rom) {
    if (rom.size() < emu::kRomMinSize || rom.size() > emu::kRomMaxSize) return nullptr;
    // Several hundred KiB: never on the stack. gba_init sets every byte.
    std::unique_ptr<emu::Gba> gba(new emu::Gba);
    if (!emu::gba_init(*gba, rom.data(), static_cast<std::uint32_t>(rom.size()))) return nullptr;
    return gba;
}

void play_frames(emu::Gba& gba, std::uint32_t frames, const KeySchedule& keys, std::vector<std::int16_t>* sound,
                 std::uint32_t sound_rate) {
    // A frame makes about 550 stereo frames at 32768 Hz, far fewer than the
    // core keeps, so taking them after every frame loses none.
    std::vector<std::int16_t> chunk(sound != nullptr ? 2 * emu::kApuRingFrames : 0);
    if (sound != nullptr) emu::apu_set_rate(gba, sound_rate);
    std::size_t next = 0; // the schedule's frames increase
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        if (next < keys.size() && keys[next].frame == frame) emu::gba_set_keys(gba, keys[next++].keys);
        emu::gba_run_frame(gba);
        if (sound == nullptr) continue;
        const std::uint32_t taken = emu::apu_take(gba, chunk.data(), emu::kApuRingFrames);
        sound->insert(sound->end(), chunk.begin(), chunk.begin() + 2 * static_cast<std::ptrdiff_t>(taken));
    }
}

} // namespace kessra::handheld
