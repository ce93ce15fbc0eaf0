/* Mosaic: text and affine backgrounds and sprites (normal and affine) with
   block sizes changing per phase, beside layers without mosaic. A held
   turns the mosaic of BG0 off. */
#include "video_common.h"

enum { PHASES = 8 };

static void step(uint32_t phase, uint32_t keys) {
    static const uint16_t mosaic[PHASES] = {0x0000, 0x1111, 0x3333, 0x7070, 0x0707, 0xF5A3, 0x2CE1, 0xFFFF};
    REG_MOSAIC = mosaic[phase];
    REG_BGCNT(0) = (uint16_t)(1 | (28 << 8) | ((keys & 1) ? 0 : 0x40));
    REG_BGCNT(1) = (uint16_t)(3 | (29 << 8));
    REG_BGCNT(2) = (uint16_t)(2 | (1 << 2) | (16 << 8) | 0x40 | 0x2000 | 0x4000);
    int32_t c = vid_cos(phase * 3 + 2), s = vid_sin(phase * 3 + 2);
    REG_BGPA(2) = (uint16_t)c;
    REG_BGPB(2) = (uint16_t)-s;
    REG_BGPC(2) = (uint16_t)s;
    REG_BGPD(2) = (uint16_t)c;
    REG_BGX(2) = (uint32_t)(phase * 1000);
    REG_BGY(2) = (uint32_t)(phase * 700);
    REG_DISPCNT = (uint16_t)(0x1701 | ((phase & 1) ? 0x40 : 0));
}

int main(void) {
    REG_DISPCNT = 0x0080;
    vid_palettes(0x1618);
    vid_tiles4(0x0000, 256, 1);
    vid_tiles8(0x4000, 256, 2);
    vid_text_map(28 * 0x800, 1024, 256, 5);
    vid_text_map(29 * 0x800, 1024, 256, 6);
    vid_affine_map(16 * 0x800, 0x400, 256, 7);
    vid_tiles4(0x10000, 1024, 8);
    vid_hide_sprites();
    for (uint32_t n = 0; n < 16; ++n) {
        uint32_t a0 = ((n * 37) & 127) | ((n & 1) ? 0x1000u : 0) | ((n % 3) << 14);
        if ((n & 3) == 2) a0 |= 0x300;
        uint32_t a1 = ((n * 53) & 255) | ((n & 3) << 14) | ((n & 3) == 2 ? (2u << 9) : (n & 8) ? 0x1000u : 0);
        vid_sprite(n, a0, a1, (n * 16) | ((n & 3) << 10) | (n << 12));
    }
    vid_sprite_affine(2, 0xB5, -0xB5, 0xB5, 0xB5);
    vid_loop(0, 0, step);
}
