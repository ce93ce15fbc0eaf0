// The reference emulator (libmgba) powered on with a ROM, shared by the
// picture and the sound runners: no BIOS image, no configuration files, no
// log output.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include <mgba/core/core.h>

#include "harness.hpp"

namespace emu_harness {

// Closes the core and the configuration mCoreInitConfig made for it.
struct CoreCloser {
    void operator()(mCore* core) const;
};

// What a run of the reference owns: the ROM the library reads through a
// VFile for as long as it runs, the picture it draws into, the core.
struct ReferenceRun {
    std::vector<uint8_t> image;
    std::vector<uint32_t> picture = std::vector<uint32_t>(kWidth * kHeight);
    std::unique_ptr<mCore, CoreCloser> core;
    ReferenceRun() = default;
    ReferenceRun(const ReferenceRun&) = delete;
    ReferenceRun& operator=(const ReferenceRun&) = delete;
    ~ReferenceRun();
};

// Loads `rom` and resets the core; false when the library refuses it.
bool start_reference(ReferenceRun& run, std::span<const uint8_t> rom);

} // namespace emu_harness
