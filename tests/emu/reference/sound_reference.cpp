// The sound of the reference emulator through its public headers: each side
// of the output is a band-limited buffer (blip_buf) the library fills as it
// runs; set to our rate, it is read out after every frame.
#include <algorithm>
#include <cstdarg>
#include <memory>

#include <mgba/core/blip_buf.h>
#include <mgba/core/config.h>
#include <mgba/core/core.h>
#include <mgba/core/log.h>
#include <mgba-util/vfs.h>

#include "harness.hpp"

namespace emu_harness {

namespace {

void discard_log(mLogger*, int, mLogLevel, const char*, va_list) {}

mLogger quiet_logger = {discard_log, nullptr};

struct CoreCloser {
    void operator()(mCore* core) const {
        mCoreConfigDeinit(&core->config);
        core->deinit(core);
    }
};

} // namespace

std::optional<Sound> sound_reference(std::span<const uint8_t> rom, uint32_t frames, uint32_t rate) {
    if (rate == 0) return std::nullopt;
    mLogSetDefaultLogger(&quiet_logger);
    std::vector<uint8_t> image(rom.begin(), rom.end());
    VFile* file = VFileFromConstMemory(image.data(), image.size());
    if (file == nullptr) return std::nullopt;
    mCore* raw = mCoreFindVF(file);
    if (raw == nullptr || !raw->init(raw)) {
        file->close(file);
        return std::nullopt;
    }
    mCoreInitConfig(raw, nullptr);
    std::unique_ptr<mCore, CoreCloser> core(raw);
    std::vector<uint32_t> picture(kWidth * kHeight);
    core->setVideoBuffer(core.get(), picture.data(), kWidth);
    if (!core->loadROM(core.get(), file)) {
        file->close(file);
        return std::nullopt;
    }
    core->setAudioBufferSize(core.get(), 4096);
    core->reset(core.get());
    blip_t* side[2] = {core->getAudioChannel(core.get(), 0), core->getAudioChannel(core.get(), 1)};
    if (side[0] == nullptr || side[1] == nullptr) {
        core->unloadROM(core.get());
        return std::nullopt;
    }
    for (blip_t* buffer : side) blip_set_rates(buffer, core->frequency(core.get()), rate);

    Sound sound;
    sound.rate = rate;
    std::vector<short> left(8192), right(8192);
    for (uint32_t frame = 0; frame < frames; ++frame) {
        core->setKeys(core.get(), 0);
        core->runFrame(core.get());
        const int available = std::min(blip_samples_avail(side[0]), blip_samples_avail(side[1]));
        const int n = blip_read_samples(side[0], left.data(), std::min(available, 8192), 0);
        blip_read_samples(side[1], right.data(), n, 0);
        for (int i = 0; i < n; ++i) {
            sound.samples.push_back(left[static_cast<std::size_t>(i)]);
            sound.samples.push_back(right[static_cast<std::size_t>(i)]);
        }
    }
    core->unloadROM(core.get());
    return sound;
}

} // namespace emu_harness
