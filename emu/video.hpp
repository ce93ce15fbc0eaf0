// The picture: the line renderer for every video mode, backgrounds, sprites,
// windows, colour effects and mosaic, with the state it keeps between lines.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

// A layer's pixel in the line buffers: the 15-bit colour, with kOpaque set
// where the layer shows something.
constexpr uint16_t kOpaque = 0x8000;
constexpr uint32_t kLineWidth = 240;

// The sprite layer's attributes per pixel (Video::obj_attr).
constexpr uint8_t kObjPriorityMask = 0x03;
constexpr uint8_t kObjSemiTransparent = 0x04;
constexpr uint8_t kObjWindow = 0x08; // inside the OBJ window (set by window-mode sprites)
constexpr uint8_t kObjMosaic = 0x10; // drawn by a mosaic sprite

struct Video {
    int32_t affine_x[2]; // internal reference points of BG2 and BG3, latched at the frame's start
    int32_t affine_y[2];
    int32_t written_x[2]; // BGxX/BGxY as last copied into the internal points
    int32_t written_y[2];
    bool last_written_y[2]; // the last reload was of Y
    int32_t pending_x[2];   // moves of the current vertical mosaic block not yet applied
    int32_t pending_y[2];
    uint8_t bg_enable_lines[4];    // lines a BG has been enabled in DISPCNT (it shows after a delay)
    bool window_v[2];              // the vertical flip-flops of windows 0 and 1
    bool semi_transparent_on_line; // a semi-transparent sprite pixel is in the sprite layer
    uint8_t obj_attr[kLineWidth];
    uint8_t window[kLineWidth]; // per pixel: layers shown (bits 0-4) and effects allowed (bit 5)
    uint16_t bg[4][kLineWidth];
    uint16_t obj[kLineWidth];
};

// The display timing calls these: a new frame starts (line 0), a visible line
// is drawn (at the start of its horizontal blanking), and a BGxX/BGxY register
// was written (the internal reference point reloads).
void video_frame_start(Gba& gba);
void video_draw_line(Gba& gba, uint32_t line);
void video_reference_written(Gba& gba, uint32_t bg);

// --- the renderer's parts (video_*.cpp) --------------------------------------

// One line of a text background into out (kLineWidth pixels).
void video_text_line(const Gba& gba, uint32_t bg, uint32_t line, uint16_t* out);
// One line of an affine background (bg 2 or 3) from the reference point x, y.
void video_affine_line(const Gba& gba, uint32_t bg, int32_t x, int32_t y, uint16_t* out);
// One line of the bitmap background (modes 3-5) from the reference point x, y.
void video_bitmap_line(const Gba& gba, uint32_t mode, int32_t x, int32_t y, uint16_t* out);
// Horizontal mosaic over a layer's line: blocks of size pixels take their first pixel.
void video_mosaic_line(uint16_t* line, uint32_t size);
// The sprite layer of a line into gba.video.obj and gba.video.obj_attr.
void video_obj_line(Gba& gba, uint32_t line);
// The window mask of a line into gba.video.window (all shown when no window is on).
void video_window_line(Gba& gba, uint32_t line);
// Mixes the enabled layers (bits 0-4 of layers) with priorities, windows and
// colour effects into out.
void video_compose_line(const Gba& gba, uint32_t layers, uint16_t* out);

} // namespace emu
