/* Text backgrounds: all four in mode 0, 4 bpp and 8 bpp tiles, the four
   screen sizes, scrolling, flips and palette banks. Each phase has its own
   scroll offsets, priorities and enabled layers; the direction keys held
   move BG0, A hides BG1. */
#include "video_common.h"

static void step(uint32_t phase, uint32_t keys) {
    static const uint16_t layout[4] = {
        0x0000 | (28 << 8),                   /* 256x256, chars 0, 4 bpp */
        0x4000 | 0x80 | (24 << 8) | (1 << 2), /* 512x256, chars 1, 8 bpp */
        0x8000 | (20 << 8),                   /* 256x512, chars 0 */
        0xC000 | (16 << 8) | (1 << 2)         /* 512x512, chars 1 read as 4 bpp */
    };
    static const uint16_t enables[8] = {0x0F00, 0x0100, 0x0200, 0x0C00, 0x0500, 0x0F00, 0x0A00, 0x0F00};
    uint32_t x0 = phase * 37, y0 = phase * 91;
    if (keys & 0x10) x0 += 3;
    if (keys & 0x20) x0 -= 5;
    if (keys & 0x40) y0 -= 2;
    if (keys & 0x80) y0 += 7;
    for (uint32_t n = 0; n < 4; ++n) REG_BGCNT(n) = (uint16_t)(layout[n] | ((n + phase) & 3));
    REG_BGHOFS(0) = (uint16_t)x0;
    REG_BGVOFS(0) = (uint16_t)y0;
    REG_BGHOFS(1) = (uint16_t)(phase * 130);
    REG_BGVOFS(1) = (uint16_t)(512 - phase * 45);
    REG_BGHOFS(2) = (uint16_t)(100 - phase * 67);
    REG_BGVOFS(2) = (uint16_t)(phase * 150);
    REG_BGHOFS(3) = (uint16_t)(phase * 211);
    REG_BGVOFS(3) = (uint16_t)(300 + phase * 77);
    uint32_t shown = enables[phase & 7];
    if (keys & 1) shown &= ~0x0200u;
    REG_DISPCNT = (uint16_t)shown;
}

int main(void) {
    REG_DISPCNT = 0x0080;
    vid_palettes(0x1234567);
    vid_tiles4(0x0000, 512, 0);  /* chars 0 */
    vid_tiles8(0x4000, 128, 3);  /* chars 1 */
    vid_tiles4(0x6000, 256, 77); /* chars 1, tiles 256-511 at 4 bpp */
    vid_text_map(28 * 0x800, 1024, 512, 11);
    vid_text_map(24 * 0x800, 2048, 128, 22);
    vid_text_map(20 * 0x800, 2048, 512, 33);
    vid_text_map(16 * 0x800, 4096, 512, 44);
    vid_hide_sprites();
    vid_loop(0, 0, step);
}
