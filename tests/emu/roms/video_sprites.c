/* Sprites: every shape and size, 4 and 8 bpp, flips, affine ones with and
   without double size, semi-transparent ones, priorities against two
   backgrounds, offscreen wrap-around; 1D and 2D tile mapping; the per-line
   cycle budget with and without the H-blank interval free; sprites over the
   bitmap modes, where only the upper tiles show. A held flips the mapping,
   B held turns the affine sprites. */
#include "video_common.h"

enum { PHASES = 9 };

static void scatter(uint32_t phase, uint32_t keys) {
    uint32_t seed = 0x51 + phase * 977;
    for (uint32_t n = 0; n < 128; ++n) {
        uint32_t r = vid_next(&seed);
        uint32_t combo = (n + phase) % 12;
        uint32_t shape = combo / 4, size = combo & 3;
        uint32_t affine = (r >> 3) & 1;
        uint32_t a0 = ((r >> 8) & 0xFF) | shape << 14 | ((r >> 5) & 1) << 13;
        if (affine) a0 |= 0x100 | (((r >> 6) & 1) << 9);
        if (((r >> 16) & 7) == 0) a0 |= 0x0400; /* semi-transparent */
        uint32_t a1 = ((r >> 17) & 0x1FF) | size << 14;
        if (affine) a1 |= (n & 7) << 9;
        else a1 |= ((r >> 26) & 3) << 12; /* flips */
        uint32_t tile = (r >> 4) & 0x3FF;
        /* Over a bitmap only tiles 512-1023 show; keep them from wrapping
           past 1023 into the bitmap's bank. */
        if (phase >= 7 && tile >= 512) tile = 512 + (tile & 0xFF);
        uint32_t a2 = tile | ((r >> 28) & 3) << 10 | (n & 15) << 12;
        vid_sprite(n, a0, a1, a2);
    }
    for (uint32_t g = 0; g < 8; ++g) {
        uint32_t angle = g * 9 + phase + ((keys & 2) ? 11 : 0);
        int32_t scale = 200 + (int32_t)g * 30;
        vid_sprite_affine(g, vid_cos(angle) * scale / 256, -vid_sin(angle) * scale / 256, vid_sin(angle) * scale / 256,
                          vid_cos(angle) * scale / 256);
    }
}

/* A row of big sprites sharing lines 40-103, to run out of cycles. */
static void crowd(uint32_t affine) {
    for (uint32_t n = 0; n < 128; ++n) {
        uint32_t x = (n * 23) & 0x1FF;
        if (n < 40) {
            uint32_t a0 = 40 | (affine ? 0x300 : 0);
            vid_sprite(n, a0, x | 3u << 14, (n * 16) & 0x3FF);
        } else {
            vid_sprite(n, 0x0200, 0, 0);
        }
    }
    vid_sprite_affine(0, 0x100, 0x20, -0x20, 0x100);
}

static void step(uint32_t phase, uint32_t keys) {
    uint32_t mapping = (phase & 1) ? 0x40 : 0;
    if (keys & 1) mapping ^= 0x40;
    REG_BGCNT(0) = (uint16_t)(1 | (28 << 8));
    REG_BGCNT(1) = (uint16_t)(3 | (29 << 8) | (1 << 2) | 0x80);
    REG_BLDCNT = 0x3F00;
    REG_BLDALPHA = 0x0A06;
    switch (phase) {
    case 0:
    case 1:
    case 2:
    case 3:
        scatter(phase, keys);
        REG_DISPCNT = (uint16_t)(0x1300 | mapping);
        break;
    case 4: /* 40 affine double-size 64x64 sprites on the same lines */
        crowd(1);
        REG_DISPCNT = (uint16_t)(0x1100 | mapping);
        break;
    case 5: /* the same with the H-blank interval free */
        crowd(1);
        REG_DISPCNT = (uint16_t)(0x1120 | mapping);
        break;
    case 6: /* 40 normal 64x64 sprites */
        crowd(0);
        REG_DISPCNT = (uint16_t)(0x1100 | mapping);
        break;
    case 7: /* mode 3 */
        scatter(phase, keys);
        REG_DISPCNT = (uint16_t)(0x1403 | mapping);
        break;
    default: /* mode 4 over the same memory */
        scatter(phase, keys);
        REG_DISPCNT = (uint16_t)(0x1404 | mapping);
        break;
    }
}

/* Mode 3's bitmap for the last phases, drawn when phase 7 begins. */
static void draw_bitmap(uint32_t phase) {
    if (phase != 7) return;
    REG_DISPCNT = 0x0080;
    for (uint32_t i = 0; i < 240 * 80; ++i) VRAM32[i] = i * 0x000E0007u + 0x00070000u;
}

int main(void) {
    REG_DISPCNT = 0x0080;
    vid_palettes(0x7007);
    for (uint32_t i = 0; i < 256; ++i) PAL_BG[i] = (uint16_t)((PAL_BG[i] >> 2) & 0x1CE7); /* dim backgrounds */
    vid_tiles4(0x0000, 256, 1);
    vid_tiles8(0x4000, 256, 2);
    vid_text_map(28 * 0x800, 1024, 256, 3);
    vid_text_map(29 * 0x800, 1024, 256, 4);
    vid_tiles4(0x10000, 1024, 40); /* every sprite tile */
    vid_hide_sprites();
    vid_loop(PHASES, draw_bitmap, step);
}
