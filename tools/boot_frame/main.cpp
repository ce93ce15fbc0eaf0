// boot_frame: predicts the frame the console shows for an image after a
// sequence of controller inputs, as a PPM picture.
//
//   boot_frame IMAGE KEYS OUT.ppm [MESSAGE]
//
// KEYS is a string of u (up), d (down), a (A), b (B), y (Y), each one press and
// release; "-" for none; a leading "x" runs with no controller. With MESSAGE,
// the message page shows it after the keys (as when a game cannot start).
#include <cstdio>
#include <string>

#include "host_console.hpp"

using namespace kessra::boot_host;

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: boot_frame IMAGE KEYS OUT.ppm [MESSAGE]\n");
        return 2;
    }
    HostConsole console;
    std::string error;
    if (!console.open(argv[1], error)) {
        std::fprintf(stderr, "boot_frame: %s\n", error.c_str());
        return 1;
    }
    const std::string keys = argv[2];
    const bool absent = !keys.empty() && keys[0] == 'x';
    console.input(absent ? PAD_ABSENT : PAD_NEUTRAL);
    for (char k : keys) {
        const std::uint32_t word = k == 'u'   ? PAD_UP
                                   : k == 'd' ? PAD_DOWN
                                   : k == 'a' ? PAD_A
                                   : k == 'b' ? PAD_B
                                   : k == 'y' ? PAD_Y
                                              : 0;
        if (word == 0) continue;
        console.input(word);
        console.input(PAD_NEUTRAL);
    }
    if (argc == 5) console.show_message(argv[4]);
    if (!write_ppm(argv[3], console.frame_displayed(), SCREEN_WIDTH, SCREEN_HEIGHT)) {
        std::fprintf(stderr, "boot_frame: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
