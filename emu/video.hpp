// The picture: the line renderer for every video mode, backgrounds, sprites,
// windows, colour effects and mosaic, with the state it keeps between lines.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct Video {
    int32_t affine_x[2];  // internal reference points of BG2 and BG3, latched at the frame's start
    int32_t affine_y[2];
};

// The display timing calls these: a new frame starts (line 0), a visible line
// is drawn (at the start of its horizontal blanking), and a BGxX/BGxY register
// was written (the internal reference point reloads).
void video_frame_start(Gba& gba);
void video_draw_line(Gba& gba, uint32_t line);
void video_reference_written(Gba& gba, uint32_t bg);

} // namespace emu
