// The sound of our core: taken after every frame, so its ring never drops.
#include <memory>

#include "emu/apu.hpp"
#include "emu/gba.hpp"
#include "harness.hpp"

namespace emu_harness {

std::optional<Sound> sound_ours(std::span<const uint8_t> rom, uint32_t frames, uint32_t rate) {
    if (rom.size() > emu::kRomMaxSize || rate == 0) return std::nullopt;
    auto gba = std::make_unique<emu::Gba>();
    if (!emu::gba_init(*gba, rom.data(), static_cast<uint32_t>(rom.size()))) return std::nullopt;
    emu::apu_set_rate(*gba, rate);
    Sound sound;
    sound.rate = rate;
    std::vector<int16_t> chunk(2 * emu::kApuRingFrames);
    for (uint32_t frame = 0; frame < frames; ++frame) {
        emu::gba_set_keys(*gba, 0);
        emu::gba_run_frame(*gba);
        const uint32_t n = emu::apu_take(*gba, chunk.data(), emu::kApuRingFrames);
        sound.samples.insert(sound.samples.end(), chunk.begin(), chunk.begin() + 2 * n);
    }
    return sound;
}

} // namespace emu_harness
