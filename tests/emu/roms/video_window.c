/* Windows: window 0 and 1 (overlapping, wrapping around when left > right
   or top > bottom, edges past the screen), the OBJ window from window-mode
   sprites, the outside area, each with its layer and effect enables, over
   four backgrounds and sprites. The direction keys held move window 0. */
#include "video_common.h"

enum { PHASES = 8 };

#define EDGES(a, b) ((uint16_t)(((a) << 8) | (b)))

static void sprites(void) {
    /* normal sprites at priority 0 and 2, and big window-mode sprites */
    for (uint32_t n = 0; n < 12; ++n)
        vid_sprite(n, (10 + n * 12) | 0x4000u, (n * 19) | 0x8000u, (n * 8) | ((n & 1) ? 0x0800u : 0) | (n << 12));
    for (uint32_t n = 12; n < 16; ++n)
        vid_sprite(n, (20 + (n - 12) * 30) | 0x0800u, ((n - 12) * 55) | 0xC000u, 64 + n * 4);
    /* an affine, double-size window sprite */
    vid_sprite(16, 70 | 0x0B00u | 0x2000u, 150 | 0xC000u | (1u << 9), 200);
    vid_sprite_affine(1, 0xC0, 0x60, -0x60, 0xC0);
}

static void step(uint32_t phase, uint32_t keys) {
    uint32_t dx = (keys & 0x10) ? 16 : (keys & 0x20) ? 240 - 16 : 0;
    uint32_t dy = (keys & 0x80) ? 12 : (keys & 0x40) ? 160 - 12 : 0;
    uint32_t l0 = (40 + dx) % 240, r0 = (120 + dx) % 240, t0 = (30 + dy) % 160, b0 = (100 + dy) % 160;
    REG_WINH(0) = EDGES(l0, r0);
    REG_WINV(0) = EDGES(t0, b0);
    REG_WINH(1) = EDGES(90, 200);
    REG_WINV(1) = EDGES(60, 140);
    REG_WININ = 0x2A13;
    REG_WINOUT = 0x313C;
    REG_BLDCNT = 0x0081 | 0x0004; /* brighten BG0 and BG2 */
    REG_BLDY = 9;
    uint32_t dispcnt = 0x1F00;
    switch (phase) {
    case 0: dispcnt |= 0x2000; break;
    case 1: dispcnt |= 0x6000; break;
    case 2: /* wrap around both ways */
        REG_WINH(0) = EDGES(200, 40);
        REG_WINV(0) = EDGES(120, 40);
        dispcnt |= 0x2000;
        break;
    case 3: dispcnt |= 0x8000; break;
    case 4: /* all three, alpha blending where allowed */
        REG_BLDCNT = 0x3E41;
        REG_BLDALPHA = 0x0709;
        dispcnt |= 0xE000;
        break;
    case 5: /* edges past the screen; an empty window 1 */
        REG_WINH(0) = EDGES(100, 250);
        REG_WINV(0) = EDGES(90, 200);
        REG_WINH(1) = EDGES(50, 50);
        REG_WINV(1) = EDGES(10, 150);
        dispcnt |= 0x6000;
        break;
    case 6: /* window 1 a single line high; brighten outside */
        REG_WINV(1) = EDGES(77, 78);
        REG_WINH(1) = EDGES(0, 0);
        REG_BLDCNT = 0x00BF;
        dispcnt |= 0x6000;
        break;
    default: /* windows on, some layers off in DISPCNT */ dispcnt = 0xF500; break;
    }
    REG_DISPCNT = (uint16_t)dispcnt;
}

int main(void) {
    REG_DISPCNT = 0x0080;
    vid_palettes(0x3141);
    static const uint8_t priority[4] = {0, 1, 2, 3};
    vid_four_text_layers(5, priority);
    REG_BGHOFS(1) = 4;
    REG_BGVOFS(2) = 3;
    REG_BGHOFS(3) = 5;
    vid_tiles4(0x10000, 1024, 9);
    vid_hide_sprites();
    sprites();
    vid_loop(0, 0, step);
}
