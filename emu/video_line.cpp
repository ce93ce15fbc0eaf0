// One scanline from the registers as they are at the start of its horizontal
// blanking.
#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace emu {

namespace {

int32_t reference_value(const uint8_t* io, uint32_t offset) {
    // 28-bit signed fixed point (8 fraction bits).
    uint32_t raw = load32(io + offset) & 0x0FFFFFFFu;
    if ((raw & 0x08000000u) != 0) raw |= 0xF0000000u;
    return static_cast<int32_t>(raw);
}

} // namespace

void video_reference_written(Gba& gba, uint32_t bg) {
    if (bg < 2 || bg > 3) return;
    uint32_t base = bg == 2 ? 0x28u : 0x38u;
    gba.video.affine_x[bg - 2] = reference_value(gba.mem.io, base);
    gba.video.affine_y[bg - 2] = reference_value(gba.mem.io, base + 4);
}

void video_frame_start(Gba& gba) {
    video_reference_written(gba, 2);
    video_reference_written(gba, 3);
}

void video_draw_line(Gba& gba, uint32_t line) {
    if (line >= kScreenHeight) return;
    const uint8_t* io = gba.mem.io;
    uint16_t* out = gba.frame + line * kScreenWidth;
    uint16_t dispcnt = load16(io);
    uint16_t backdrop = static_cast<uint16_t>(load16(gba.mem.palette) & 0x7FFF);
    if ((dispcnt & 0x80) != 0) {
        for (uint32_t x = 0; x < kScreenWidth; ++x) out[x] = 0x7FFF;
        return;
    }
    uint32_t mode = dispcnt & 7u;
    bool bg2 = (dispcnt & 0x400) != 0;
    uint32_t page = (dispcnt & 0x10) != 0 ? 0xA000u : 0u;
    for (uint32_t x = 0; x < kScreenWidth; ++x) {
        uint16_t c = backdrop;
        if (bg2 && mode == 3) {
            c = load16(gba.mem.vram + (line * kScreenWidth + x) * 2);
        } else if (bg2 && mode == 4) {
            uint8_t index = gba.mem.vram[page + line * kScreenWidth + x];
            if (index != 0) c = load16(gba.mem.palette + index * 2u);
        } else if (bg2 && mode == 5 && x < 160 && line < 128) {
            c = load16(gba.mem.vram + page + (line * 160 + x) * 2);
        }
        out[x] = static_cast<uint16_t>(c & 0x7FFF);
    }
}

} // namespace emu
