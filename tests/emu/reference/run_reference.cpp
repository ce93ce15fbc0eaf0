// The reference emulator, Debian's libmgba, through its public headers: no
// BIOS image (its own BIOS handling), no configuration files, no log output.
#include <algorithm>
#include <cstdarg>
#include <memory>

#include <mgba/core/config.h>
#include <mgba/core/core.h>
#include <mgba/core/log.h>
#include <mgba-util/vfs.h>

#include "harness.hpp"

namespace emu_harness {

namespace {

void discard_log(mLogger*, int, mLogLevel, const char*, va_list) {}

mLogger quiet_logger = {discard_log, nullptr};

// The reference draws 8 bits a channel, red in the low byte; the top five
// bits of each are the handheld's colour.
uint16_t to_15_bit(uint32_t colour) {
    uint32_t r = (colour >> 3) & 0x1F, g = (colour >> 11) & 0x1F, b = (colour >> 19) & 0x1F;
    return static_cast<uint16_t>(r | (g << 5) | (b << 10));
}

// Closes the core and the configuration mCoreInitConfig made for it.
struct CoreCloser {
    void operator()(mCore* core) const {
        mCoreConfigDeinit(&core->config);
        core->deinit(core);
    }
};

} // namespace

bool reference_available() {
    return true;
}

std::optional<std::vector<Snapshot>> run_reference(std::span<const uint8_t> rom, std::span<const uint32_t> at,
                                                   const KeySchedule& keys) {
    mLogSetDefaultLogger(&quiet_logger);
    // The library reads the ROM through the VFile for as long as it runs.
    std::vector<uint8_t> image(rom.begin(), rom.end());
    VFile* file = VFileFromConstMemory(image.data(), image.size());
    if (file == nullptr) return std::nullopt;
    mCore* raw = mCoreFindVF(file);
    if (raw == nullptr) {
        file->close(file);
        return std::nullopt;
    }
    if (!raw->init(raw)) {
        file->close(file);
        return std::nullopt;
    }
    mCoreInitConfig(raw, nullptr);
    std::unique_ptr<mCore, CoreCloser> core(raw);
    std::vector<uint32_t> buffer(kWidth * kHeight);
    core->setVideoBuffer(core.get(), buffer.data(), kWidth);
    if (!core->loadROM(core.get(), file)) {
        file->close(file);
        return std::nullopt;
    }
    core->reset(core.get());

    uint32_t last = at.empty() ? 0 : *std::max_element(at.begin(), at.end());
    std::vector<Snapshot> snapshots(at.size());
    for (uint32_t frame = 0; frame < last; ++frame) {
        core->setKeys(core.get(), keys.keys_at(frame));
        core->runFrame(core.get());
        for (std::size_t i = 0; i < at.size(); ++i) {
            if (at[i] != frame + 1) continue;
            Snapshot& snapshot = snapshots[i];
            snapshot.frames = frame + 1;
            std::transform(buffer.begin(), buffer.end(), snapshot.frame.pixels.begin(), to_15_bit);
            snapshot.ewram_head.resize(kEwramHead);
            for (std::size_t offset = 0; offset < kEwramHead; ++offset)
                snapshot.ewram_head[offset] =
                    static_cast<uint8_t>(core->busRead8(core.get(), 0x02000000u + static_cast<uint32_t>(offset)));
        }
    }
    core->unloadROM(core.get());
    return snapshots;
}

} // namespace emu_harness
