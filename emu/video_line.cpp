// One scanline from the registers as they are at the start of its horizontal
// blanking: which layers the mode has, the delayed display enables, the
// affine reference points, then the mix into the frame.
#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace emu {

namespace {

// A background enabled in DISPCNT shows only from the third line drawn after
// the enable; disabling acts at once.
constexpr uint8_t kEnableDelayLines = 2;

int32_t reference_value(const uint8_t* io, uint32_t offset) {
    // 28-bit signed fixed point (8 fraction bits).
    uint32_t raw = load32(io + offset) & 0x0FFFFFFFu;
    if ((raw & 0x08000000u) != 0) raw |= 0xF0000000u;
    return static_cast<int32_t>(raw);
}

// The backgrounds the mode has (bits 0-3) and which of them are affine.
uint32_t mode_backgrounds(uint32_t mode) {
    constexpr uint8_t kLayers[8] = {0xF, 0x7, 0xC, 0x4, 0x4, 0x4, 0, 0};
    return kLayers[mode & 7];
}

bool is_text(uint32_t mode, uint32_t bg) { return mode == 0 || (mode == 1 && bg < 2); }

// The BG enable bits that have been set long enough to show.
uint32_t shown_backgrounds(Video& v, uint32_t dispcnt) {
    uint32_t shown = 0;
    for (uint32_t bg = 0; bg < 4; ++bg) {
        if ((dispcnt & (0x100u << bg)) == 0) {
            v.bg_enable_lines[bg] = 0;
            continue;
        }
        if (v.bg_enable_lines[bg] >= kEnableDelayLines) {
            shown |= 1u << bg;
        } else {
            ++v.bg_enable_lines[bg];
        }
    }
    return shown;
}

void draw_background(Gba& gba, uint32_t mode, uint32_t bg, uint32_t line, uint32_t mosaic) {
    Video& v = gba.video;
    uint16_t* out = v.bg[bg];
    uint32_t cnt = load16(gba.mem.io + 0x08 + bg * 2);
    bool mosaic_on = (cnt & 0x40) != 0;
    uint32_t mosaic_w = (mosaic & 15) + 1;
    uint32_t mosaic_h = ((mosaic >> 4) & 15) + 1;
    if (is_text(mode, bg)) {
        video_text_line(gba, bg, mosaic_on ? line - line % mosaic_h : line, out);
    } else {
        uint32_t i = bg - 2;
        int32_t x = v.affine_x[i];
        int32_t y = v.affine_y[i];
        if (mode >= 3) {
            video_bitmap_line(gba, mode, x, y, out);
        } else {
            video_affine_line(gba, bg, x, y, out);
        }
    }
    if (mosaic_on) video_mosaic_line(out, mosaic_w);
}

// Each affine reference point moves by (PB, PD) per line; with vertical
// mosaic on its background, the moves of a block's lines take effect together
// at the block's end, so that the block repeats its first line.
void advance_references(Gba& gba, uint32_t line) {
    const uint8_t* io = gba.mem.io;
    Video& v = gba.video;
    uint32_t mosaic_h = ((load16(io + 0x4C) >> 4) & 15) + 1;
    for (uint32_t i = 0; i < 2; ++i) {
        uint32_t base = 0x20 + i * 0x10;
        v.pending_x[i] += static_cast<int16_t>(load16(io + base + 2));
        v.pending_y[i] += static_cast<int16_t>(load16(io + base + 6));
        bool mosaic_on = (load16(io + 0x0C + i * 2) & 0x40) != 0;
        if (mosaic_on && line % mosaic_h != mosaic_h - 1) continue;
        v.affine_x[i] += v.pending_x[i];
        v.affine_y[i] += v.pending_y[i];
        v.pending_x[i] = 0;
        v.pending_y[i] = 0;
    }
}

void green_swap(uint16_t* out) {
    for (uint32_t x = 0; x < kLineWidth; x += 2) {
        uint32_t a = out[x];
        uint32_t b = out[x + 1];
        out[x] = static_cast<uint16_t>((a & ~0x3E0u) | (b & 0x3E0u));
        out[x + 1] = static_cast<uint16_t>((b & ~0x3E0u) | (a & 0x3E0u));
    }
}

} // namespace

void video_reference_written(Gba& gba, uint32_t bg) {
    if (bg < 2 || bg > 3) return;
    Video& v = gba.video;
    uint32_t i = bg - 2;
    uint32_t base = bg == 2 ? 0x28u : 0x38u;
    int32_t x = reference_value(gba.mem.io, base);
    int32_t y = reference_value(gba.mem.io, base + 4);
    // The call says which background, not which register: the one whose
    // value changed was written; when neither changed (the same value again,
    // or the second half of a word), the one written last.
    bool x_written = x != v.written_x[i];
    bool y_written = y != v.written_y[i];
    if (!x_written && !y_written) {
        y_written = v.last_written_y[i];
        x_written = !y_written;
    }
    v.last_written_y[i] = y_written && !x_written;
    if (x_written) {
        v.affine_x[i] = v.written_x[i] = x;
        v.pending_x[i] = 0;
    }
    if (y_written) {
        v.affine_y[i] = v.written_y[i] = y;
        v.pending_y[i] = 0;
    }
}

void video_frame_start(Gba& gba) {
    Video& v = gba.video;
    for (uint32_t i = 0; i < 2; ++i) {
        v.affine_x[i] = v.written_x[i] = reference_value(gba.mem.io, 0x28 + i * 0x10);
        v.affine_y[i] = v.written_y[i] = reference_value(gba.mem.io, 0x2C + i * 0x10);
        v.pending_x[i] = 0;
        v.pending_y[i] = 0;
    }
    uint32_t dispcnt = load16(gba.mem.io);
    // The blanking lines count towards the enable delay and step the
    // windows' vertical flip-flops.
    for (uint32_t bg = 0; bg < 4; ++bg) {
        v.bg_enable_lines[bg] = (dispcnt & (0x100u << bg)) != 0 ? kEnableDelayLines : 0;
    }
    for (uint32_t w = 0; w < 2; ++w) {
        uint32_t edges = load16(gba.mem.io + 0x44 + w * 2);
        uint32_t top = edges >> 8;
        uint32_t bottom = edges & 0xFF;
        for (uint32_t line = kScreenHeight; line < 228; ++line) {
            if (line == top) v.window_v[w] = true;
            if (line == bottom) v.window_v[w] = false;
        }
    }
}

void video_draw_line(Gba& gba, uint32_t line) {
    if (line >= kScreenHeight) return;
    Video& v = gba.video;
    const uint8_t* io = gba.mem.io;
    uint16_t* out = gba.frame + line * kScreenWidth;
    uint32_t dispcnt = load16(io);
    uint32_t mode = dispcnt & 7;
    uint32_t backgrounds = shown_backgrounds(v, dispcnt) & mode_backgrounds(mode);
    if ((dispcnt & 0x80) != 0) {
        for (uint32_t x = 0; x < kLineWidth; ++x) out[x] = 0x7FFF;
        video_window_line(gba, line);
        advance_references(gba, line);
        return;
    }
    uint32_t mosaic = load16(io + 0x4C);
    for (uint32_t bg = 0; bg < 4; ++bg) {
        if ((backgrounds & (1u << bg)) != 0) draw_background(gba, mode, bg, line, mosaic);
    }
    uint32_t layers = backgrounds;
    if ((dispcnt & 0x1000) != 0) {
        video_obj_line(gba, line);
        layers |= 0x10;
    } else {
        __builtin_memset(v.obj_attr, 0, sizeof v.obj_attr);
    }
    video_window_line(gba, line);
    video_compose_line(gba, layers, out);
    if ((load16(io + 0x02) & 1) != 0) green_swap(out);
    advance_references(gba, line);
}

} // namespace emu
