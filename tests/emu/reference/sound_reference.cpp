// The sound of the reference emulator through its public headers: each side
// of the output is a band-limited buffer (blip_buf) the library fills as it
// runs; set to our rate, it is read out after every frame.
#include <algorithm>

#include <mgba/core/blip_buf.h>

#include "harness.hpp"
#include "reference_core.hpp"

namespace emu_harness {

std::optional<Sound> sound_reference(std::span<const uint8_t> rom, uint32_t frames, uint32_t rate) {
    if (rate == 0) return std::nullopt;
    ReferenceRun run;
    if (!start_reference(run, rom)) return std::nullopt;
    mCore* core = run.core.get();
    blip_t* side[2] = {core->getAudioChannel(core, 0), core->getAudioChannel(core, 1)};
    if (side[0] == nullptr || side[1] == nullptr) return std::nullopt;
    for (blip_t* buffer : side) blip_set_rates(buffer, core->frequency(core), rate);

    Sound sound;
    sound.rate = rate;
    std::vector<short> left(8192), right(8192);
    for (uint32_t frame = 0; frame < frames; ++frame) {
        core->setKeys(core, 0);
        core->runFrame(core);
        const int available = std::min(blip_samples_avail(side[0]), blip_samples_avail(side[1]));
        const int n = blip_read_samples(side[0], left.data(), std::min(available, 8192), 0);
        blip_read_samples(side[1], right.data(), n, 0);
        for (int i = 0; i < n; ++i) {
            sound.samples.push_back(left[static_cast<std::size_t>(i)]);
            sound.samples.push_back(right[static_cast<std::size_t>(i)]);
        }
    }
    return sound;
}

} // namespace emu_harness
