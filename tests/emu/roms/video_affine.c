/* Affine backgrounds: BG2 in mode 1 beside two text layers, BG2 and BG3 in
   mode 2 in all four sizes, wrapping or transparent outside, rotated and
   scaled by the four parameters; then the bitmap modes 3, 4 (both pages)
   and 5 (both pages) through the same transformation. A and B held turn
   the picture. */
#include "video_common.h"

enum { PHASES = 8 };

static void set_affine(uint32_t n, uint32_t angle, int32_t scale, int32_t cx, int32_t cy) {
    int32_t c = vid_cos(angle), s = vid_sin(angle);
    int32_t pa = c * scale / 256, pb = -s * scale / 256, pc = s * scale / 256, pd = c * scale / 256;
    REG_BGPA(n) = (uint16_t)pa;
    REG_BGPB(n) = (uint16_t)pb;
    REG_BGPC(n) = (uint16_t)pc;
    REG_BGPD(n) = (uint16_t)pd;
    /* the screen's centre (120, 80) shows the point (cx, cy) */
    REG_BGX(n) = (uint32_t)((cx << 8) - 120 * pa - 80 * pb);
    REG_BGY(n) = (uint32_t)((cy << 8) - 120 * pc - 80 * pd);
}

static void step(uint32_t phase, uint32_t keys) {
    uint32_t angle = phase * 5 + ((keys & 1) ? 8 : 0) + ((keys & 2) ? 3 : 0);
    switch (phase) {
    case 0: /* mode 1: BG0/BG1 text, BG2 256x256 wrapping */
        REG_BGCNT(0) = (uint16_t)(2 | (28 << 8));
        REG_BGCNT(1) = (uint16_t)(3 | (29 << 8) | 0x4000);
        REG_BGCNT(2) = (uint16_t)(1 | (1 << 2) | (16 << 8) | 0x2000 | 0x4000);
        set_affine(2, angle, 300, 64, 64);
        REG_BGHOFS(0) = 13;
        REG_DISPCNT = 0x0701;
        break;
    case 1: /* mode 2: BG2 128x128 transparent, BG3 1024x1024 wrapping */
        REG_BGCNT(2) = (uint16_t)(0 | (1 << 2) | (16 << 8));
        REG_BGCNT(3) = (uint16_t)(1 | (1 << 2) | (24 << 8) | 0x2000 | 0xC000);
        set_affine(2, angle, 128, 64, 64);
        set_affine(3, 64 - angle, 512, 700, 500);
        REG_DISPCNT = 0x0C02;
        break;
    case 2: /* mode 2: BG2 512x512 wrapping and sheared, BG3 256x256 transparent */
        REG_BGCNT(2) = (uint16_t)(1 | (1 << 2) | (16 << 8) | 0x2000 | 0x8000);
        REG_BGCNT(3) = (uint16_t)(0 | (1 << 2) | (24 << 8) | 0x4000);
        set_affine(3, angle * 3, 200, 128, 128);
        REG_BGPA(2) = 0x0100;
        REG_BGPB(2) = 0x0033;
        REG_BGPC(2) = 0x0040;
        REG_BGPD(2) = 0x0180;
        REG_BGX(2) = (uint32_t)(-50 * 256);
        REG_BGY(2) = 0x0FFFF000u; /* a negative 28-bit value */
        REG_DISPCNT = 0x0C02;
        break;
    case 3: /* mode 2: BG3 512x512 transparent, mirrored (negative PA, PD) */
        REG_BGCNT(3) = (uint16_t)(0 | (1 << 2) | (24 << 8) | 0x8000);
        REG_BGPA(3) = (uint16_t)-0x0100;
        REG_BGPB(3) = 0;
        REG_BGPC(3) = 0;
        REG_BGPD(3) = (uint16_t)-0x00C0;
        REG_BGX(3) = 300 << 8;
        REG_BGY(3) = 200 << 8;
        REG_DISPCNT = 0x0802;
        break;
    case 4: /* mode 3, rotated */
        set_affine(2, angle, 300, 120, 80);
        REG_DISPCNT = 0x0403;
        break;
    case 5: /* mode 4, page 0 scaled down */
        set_affine(2, 0, 200 + (int32_t)angle, 120, 80);
        REG_DISPCNT = 0x0404;
        break;
    case 6: /* mode 4, page 1 */
        set_affine(2, 0, 256, 120, 80);
        REG_DISPCNT = 0x0414;
        break;
    default: /* mode 5, page 0 or 1, rotated and scaled up */
        set_affine(2, angle, 160, 80, 64);
        REG_DISPCNT = (uint16_t)(0x0405 | ((phase & 1) ? 0x10 : 0));
        break;
    }
}

/* Quick patterns, two pixels a word, so that the drawing ends early in the phase. */
static void draw_bitmaps(uint32_t phase) {
    REG_DISPCNT = 0x0080;
    if (phase == 4) { /* mode 3: 240x160 */
        volatile uint32_t* p = VRAM32;
        for (uint32_t y = 0; y < 160; ++y) {
            for (uint32_t x = 0; x < 240; x += 2) {
                uint32_t c = (x >> 3) | ((y >> 3) << 5) | (((x ^ y) & 31) << 10);
                *p++ = c | (c + 1) << 16;
            }
        }
    } else if (phase == 5) { /* mode 4: both pages */
        for (uint32_t i = 0; i < 0x13600 / 4; ++i)
            VRAM32[i] = (i * 0x01030507u) & ((i & 0x40) ? 0xFFFFFFFFu : 0xFF00FF00u);
    } else if (phase == 7) { /* mode 5: both pages */
        for (uint32_t i = 0; i < 0x14000 / 4; ++i) VRAM32[i] = (i * 0x00210003u) ^ ((i & 0x100) ? 0x7C007C00u : 0u);
    }
}

int main(void) {
    REG_DISPCNT = 0x0080;
    vid_palettes(0xBEEF01);
    /* tiles and maps for modes 1-2: text at chars 0, affine at chars 1 */
    vid_tiles4(0x0000, 256, 5);
    vid_tiles8(0x4000, 256, 9);
    vid_text_map(28 * 0x800, 1024, 256, 7);
    vid_text_map(29 * 0x800, 2048, 256, 8);
    vid_affine_map(16 * 0x800, 0x4000, 256, 9);  /* 0x8000-0xBFFF */
    vid_affine_map(24 * 0x800, 0x4000, 256, 10); /* 0xC000-0xFFFF */
    vid_hide_sprites();
    /* The bitmaps cover the tiles: each is drawn when its phase begins. */
    vid_loop(PHASES, draw_bitmaps, step);
}
