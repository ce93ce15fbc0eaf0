/* Colour effects: alpha blending with several EVA/EVB pairs (saturating,
   coefficients above 16), first and second targets among the backgrounds,
   sprites and the backdrop, brightness up and down with several EVY, and
   semi-transparent sprites, which blend whatever BLDCNT says when a second
   target lies under them. A held changes the coefficients. */
#include "video_common.h"

enum { PHASES = 8 };

static void step(uint32_t phase, uint32_t keys) {
    static const uint16_t bldcnt[PHASES] = {
        0x0241 | 0x0800, /* alpha: BG0 over BG1/BG3 */
        0x3F7F,          /* alpha: everything over everything */
        0x2250 | 0x0100, /* alpha: OBJ over BG1, BG0, backdrop */
        0x00A5,          /* brighten BG0, BG2, backdrop */
        0x00E2,          /* darken BG1, backdrop */
        0x3E00,          /* no effect: only the semi-transparent sprites blend */
        0x0F22 | 0x0040, /* alpha with the backdrop as first target */
        0x00BF,          /* brighten everything, EVY above 16 */
    };
    static const uint16_t alpha[PHASES] = {0x0808, 0x0C0A, 0x1010, 0x0000, 0x0000, 0x0604, 0x1F03, 0x0000};
    static const uint16_t evy[PHASES] = {0, 0, 0, 7, 12, 0, 0, 20};
    REG_BLDCNT = bldcnt[phase];
    REG_BLDALPHA = (uint16_t)((keys & 1) ? 0x0D05 : alpha[phase]);
    REG_BLDY = (uint16_t)((keys & 1) ? 15 : evy[phase]);
    REG_DISPCNT = 0x1F00;
}

int main(void) {
    REG_DISPCNT = 0x0080;
    vid_palettes(0x2718);
    PAL_BG[0] = RGB(6, 10, 20);
    static const uint8_t priority[4] = {1, 2, 2, 3};
    vid_four_text_layers(3, priority);
    REG_BGHOFS(2) = 3;
    REG_BGVOFS(3) = 5;
    vid_tiles4(0x10000, 1024, 21);
    vid_hide_sprites();
    /* sprites: normal and semi-transparent, at priorities 0-3 */
    for (uint32_t n = 0; n < 24; ++n) {
        uint32_t semi = (n % 3) == 0 ? 0x0400 : 0;
        vid_sprite(n, ((n * 29) % 140) | semi | ((n & 1) ? 0x2000u : 0), ((n * 41) % 230) | 0x8000u,
                   (n * 8) | ((n & 3) << 10) | ((n & 15) << 12));
    }
    vid_loop(0, 0, step);
}
