// The cost of sound per handheld frame, in processor time of this thread:
// two cores run the same ROM side by side, one producing its sound at 32768
// Hz (taken after every frame, as `kessra run -audio` does), one without;
// they take turns in slices of 60 frames so that a busy machine slows both
// alike.
//   sound_cost ROM [FRAMES]   (default 6000)
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "emu/apu.hpp"
#include "emu/gba.hpp"
#include "harness.hpp"

namespace {

double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: sound_cost ROM [FRAMES]\n", stderr);
        return 2;
    }
    const auto rom = emu_harness::read_file(argv[1]);
    const long frames = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 6000;
    if (!rom || rom->size() > emu::kRomMaxSize || frames <= 0) {
        std::fprintf(stderr, "sound_cost: cannot read %s, or no frames to run\n", argv[1]);
        return 1;
    }
    std::unique_ptr<emu::Gba> gba[2] = {std::make_unique<emu::Gba>(), std::make_unique<emu::Gba>()};
    for (auto& g : gba)
        if (!emu::gba_init(*g, rom->data(), static_cast<uint32_t>(rom->size()))) return 1;
    emu::apu_set_rate(*gba[1], 32768);
    std::vector<int16_t> chunk(2 * emu::kApuRingFrames);
    double spent[2] = {0, 0};
    uint64_t samples = 0;
    for (long done = 0; done < frames; done += 60) {
        for (int which = 0; which < 2; ++which) {
            const double start = thread_seconds();
            for (long f = done; f < done + 60 && f < frames; ++f) {
                emu::gba_run_frame(*gba[which]);
                if (which == 1) samples += emu::apu_take(*gba[1], chunk.data(), emu::kApuRingFrames);
            }
            spent[which] += thread_seconds() - start;
        }
    }
    const double per_frame[2] = {spent[0] / static_cast<double>(frames) * 1e6,
                                 spent[1] / static_cast<double>(frames) * 1e6};
    std::printf(
        "%s: %ld frames, %.1f us a frame without sound, %.1f with (%llu stereo frames): sound %+.1f us (%+.1f %%)\n",
        argv[1], frames, per_frame[0], per_frame[1], static_cast<unsigned long long>(samples),
        per_frame[1] - per_frame[0], 100.0 * (per_frame[1] - per_frame[0]) / per_frame[0]);
    return 0;
}
