// The boot program's logic run on the build machine against an image file:
// the same start-up, input handling and drawing as on the console, with the
// disc read from the file and the memory the loader would have set up
// (file system table, patched menu and settings) taken from the image.
// Used to predict the frames the emulator shows, and by the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include "common/app.h"
}

namespace kessra::boot_host {

inline constexpr int SCREEN_WIDTH = 640;
inline constexpr int SCREEN_HEIGHT = 480;

class HostConsole {
public:
    // Opens the image and starts the program; false (and a message) when
    // the image cannot be read.
    bool open(const std::string& image_path, std::string& error);
    ~HostConsole();

    // One field with the controller's first status word.
    bool input(std::uint32_t pad_high) { return bt_app_input(&app_, pad_high) != 0; }
    // The message page with the text, as a game that cannot start shows it.
    void show_message(const char* text) { bt_app_show_message(&app_, text); }
    // The frame as drawn, then as the display shows it after the trip
    // through the video interface's YUV pairs.
    std::vector<std::uint32_t> frame_rgb();
    std::vector<std::uint32_t> frame_displayed();
    const bt_app& app() const { return app_; }

private:
    static int read(void* ctx, std::uint32_t offset, void* dst, std::uint32_t len);
    std::FILE* file_ = nullptr;
    std::vector<std::uint8_t> fst_;
    std::vector<std::uint8_t> menu_table_;
    std::vector<std::uint8_t> file_buffer_;
    std::vector<std::uint32_t> background_;
    bt_app app_{};
};

// Controller words: nothing pressed, and single buttons held.
inline constexpr std::uint32_t PAD_NEUTRAL = 0x00808080;
inline constexpr std::uint32_t PAD_DOWN = 0x00848080;
inline constexpr std::uint32_t PAD_UP = 0x00888080;
inline constexpr std::uint32_t PAD_A = 0x01808080;
inline constexpr std::uint32_t PAD_B = 0x02808080;
inline constexpr std::uint32_t PAD_Y = 0x08808080;
inline constexpr std::uint32_t PAD_ABSENT = 0x80000000;

// Binary PPM (P6) of a 0x00RRGGBB picture.
bool write_ppm(const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height);

} // namespace kessra::boot_host
