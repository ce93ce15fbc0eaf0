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
#include "reference_core.hpp"

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

} // namespace

bool reference_available() { return true; }

void CoreCloser::operator()(mCore* core) const {
    mCoreConfigDeinit(&core->config);
    core->deinit(core);
}

ReferenceRun::~ReferenceRun() {
    if (core) core->unloadROM(core.get());
}

bool start_reference(ReferenceRun& run, std::span<const uint8_t> rom) {
    mLogSetDefaultLogger(&quiet_logger);
    run.image.assign(rom.begin(), rom.end());
    VFile* file = VFileFromConstMemory(run.image.data(), run.image.size());
    if (file == nullptr) return false;
    mCore* raw = mCoreFindVF(file);
    if (raw == nullptr || !raw->init(raw)) {
        file->close(file);
        return false;
    }
    mCoreInitConfig(raw, nullptr);
    std::unique_ptr<mCore, CoreCloser> core(raw);
    core->setVideoBuffer(core.get(), run.picture.data(), kWidth);
    if (!core->loadROM(core.get(), file)) {
        file->close(file);
        return false;
    }
    core->reset(core.get());
    run.core = std::move(core);
    return true;
}

std::optional<std::vector<Snapshot>> run_reference(std::span<const uint8_t> rom, std::span<const uint32_t> at,
                                                   const KeySchedule& keys) {
    ReferenceRun run;
    if (!start_reference(run, rom)) return std::nullopt;
    mCore* core = run.core.get();
    const std::vector<uint32_t>& buffer = run.picture;

    uint32_t last = at.empty() ? 0 : *std::max_element(at.begin(), at.end());
    std::vector<Snapshot> snapshots(at.size());
    for (uint32_t frame = 0; frame < last; ++frame) {
        core->setKeys(core, keys.keys_at(frame));
        core->runFrame(core);
        for (std::size_t i = 0; i < at.size(); ++i) {
            if (at[i] != frame + 1) continue;
            Snapshot& snapshot = snapshots[i];
            snapshot.frames = frame + 1;
            std::transform(buffer.begin(), buffer.end(), snapshot.frame.pixels.begin(), to_15_bit);
            snapshot.ewram_head.resize(kEwramHead);
            for (std::size_t offset = 0; offset < kEwramHead; ++offset)
                snapshot.ewram_head[offset] =
                    static_cast<uint8_t>(core->busRead8(core, 0x02000000u + static_cast<uint32_t>(offset)));
        }
    }
    return snapshots;
}

} // namespace emu_harness
