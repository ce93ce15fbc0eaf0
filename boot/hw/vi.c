/* Video interface: 640 x 480 interlaced NTSC, the picture read from an
   external framebuffer in main memory (two fields, odd and even lines). */
#include "hw.h"

#define VI 0xCC002000u
#define VI_VTR (VI + 0x00)  /* vertical timing */
#define VI_DCR (VI + 0x02)  /* display control */
#define VI_HTR0 (VI + 0x04) /* horizontal timing 0 */
#define VI_HTR1 (VI + 0x08) /* horizontal timing 1 */
#define VI_VTO (VI + 0x0C)  /* odd field blanking */
#define VI_VTE (VI + 0x10)  /* even field blanking */
#define VI_BBOI (VI + 0x14) /* burst blanking, odd interval */
#define VI_BBEI (VI + 0x18) /* burst blanking, even interval */
#define VI_TFBL (VI + 0x1C) /* top field framebuffer */
#define VI_BFBL (VI + 0x24) /* bottom field framebuffer */
#define VI_VCT (VI + 0x2C)  /* current line */
#define VI_HSW (VI + 0x48)  /* stride and words per line */
#define VI_CLK (VI + 0x6C)  /* clock select */

#define LINE_BYTES 1280u
#define BURST(end, start) ((uint32_t)(end) << 5 | (uint32_t)(start))

static uint32_t framebuffer_word(uint32_t physical) { return 1u << 28 | physical >> 5; }

void hw_vi_show(const void* framebuffer) {
    const uint32_t physical = HW_PHYSICAL(framebuffer);
    HW_REG32(VI_TFBL) = framebuffer_word(physical);
    HW_REG32(VI_BFBL) = framebuffer_word(physical + LINE_BYTES);
}

void hw_vi_init(const void* framebuffer) {
    HW_REG16(VI_DCR) = 2; /* reset */
    HW_REG16(VI_DCR) = 0;
    HW_REG16(VI_VTR) = 0x0F06;
    HW_REG32(VI_HTR0) = 0x476901ADu;
    HW_REG32(VI_HTR1) = 373u << 17 | 162u << 7 | 64u;
    HW_REG32(VI_VTO) = 3u << 16 | 24u;
    HW_REG32(VI_VTE) = 2u << 16 | 25u;
    HW_REG32(VI_BBOI) = BURST(520, 12) << 16 | BURST(520, 12);
    HW_REG32(VI_BBEI) = BURST(519, 13) << 16 | BURST(519, 13);
    hw_vi_show(framebuffer);
    HW_REG16(VI_HSW) = 40u << 8 | 80u;
    HW_REG16(VI_CLK) = 0;
    HW_REG16(VI_DCR) = 1; /* enable, interlaced, NTSC */
}

/* Interlaced, the line counter runs over the whole frame (525 lines, the
   second field from line 263 on) and falls back to the top at each new
   frame: a new field begins where it wraps or passes the middle. */
#define FRAME_LINES 525u
static int second_field(uint16_t line) { return line > FRAME_LINES / 2u; }

void hw_vi_wait_field(void) {
    uint32_t spins = 0;
    uint16_t line = HW_REG16(VI_VCT) & 0x7FF, now;
    while (++spins < 2000000u) {
        now = HW_REG16(VI_VCT) & 0x7FF;
        if (now < line || second_field(now) != second_field(line)) return;
        line = now;
    }
}
