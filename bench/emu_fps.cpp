// The reference side of bench/run_fps.sh: runs a handheld ROM on the reference
// emulator (Debian's libmgba, through the test harness) for a number of
// frames and prints the line `kessra run` prints, timed the same way: the
// frames alone, from power-on to the last one.
//   emu_fps ROM FRAMES   status 77 when the build has no reference emulator
//   emu_fps --state-size prints the size of the core's state, sizeof(emu::Gba)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emu/gba.hpp"
#include "harness.hpp"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--state-size") == 0) {
        std::printf("%zu\n", sizeof(emu::Gba));
        return 0;
    }
    if (argc != 3) {
        std::fputs("usage: emu_fps ROM FRAMES | emu_fps --state-size\n", stderr);
        return 2;
    }
    if (!emu_harness::reference_available()) {
        std::fputs("emu_fps: this build has no reference emulator (libmgba)\n", stderr);
        return 77;
    }
    const std::optional<std::vector<uint8_t>> rom = emu_harness::read_file(argv[1]);
    const long frames = std::strtol(argv[2], nullptr, 10);
    if (!rom || frames <= 0) {
        std::fprintf(stderr, "emu_fps: cannot read %s, or no frames to run\n", argv[1]);
        return 1;
    }
    const uint32_t at[] = {static_cast<uint32_t>(frames)};
    // The harness powers the reference on inside the timed call: its start-up
    // counts with the frames (a favour to our side, which leaves it out).
    const auto start = std::chrono::steady_clock::now();
    const auto snapshots = emu_harness::run_reference(*rom, at, {});
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    if (!snapshots) {
        std::fprintf(stderr, "emu_fps: the reference emulator refused %s\n", argv[1]);
        return 1;
    }
    std::printf("Ran %ld frames in %.2f s (%.1f frames per second)\n", frames, taken.count(),
                taken.count() > 0 ? static_cast<double>(frames) / taken.count() : 0.0);
    return 0;
}
