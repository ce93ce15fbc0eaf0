/* SRAM: counts the times it was started in its save memory and shows the
   count as green blocks along the foot of the screen (one per start, up to
   five). Every frame after that it writes a ticker byte, so the save never
   stays unchanged: whoever keeps it must do so when told to (a pause, the
   game ending), not after a quiet spell. */
#include "rt.h"

__attribute__((used, aligned(4))) static const char save_id[] = "SRAM_V113";

#define SRAM ((volatile uint8_t*)0x0E000000)
#define SIGN 0x200 /* 'K', 'C' when a count is kept */
#define COUNT 0x204
#define TICKER 0x300
#define BLOCKS 5

static void block(int i, uint16_t colour) {
    for (int y = 140; y < 160; ++y) {
        for (int x = 8 + 40 * i; x < 40 + 40 * i; ++x) VRAM[y * 240 + x] = colour;
    }
}

int main(void) {
    rt_begin("SAVE COUNTER");
    REG_WAITCNT = 3; /* 8 wait states for the save area */
    uint32_t count = SRAM[SIGN] == 'K' && SRAM[SIGN + 1] == 'C' ? SRAM[COUNT] : 0;
    count = (count + 1) & 0xFF;
    SRAM[SIGN] = 'K';
    SRAM[SIGN + 1] = 'C';
    SRAM[COUNT] = (uint8_t)count;
    rt_note("STARTS", count);
    rt_end();
    for (int i = 0; i < BLOCKS; ++i) block(i, i < (int)count ? GREEN : GREY);
    for (uint8_t tick = 0;; ++tick) {
        while (REG_VCOUNT >= 160) {}
        while (REG_VCOUNT < 160) {}
        SRAM[TICKER] = tick;
    }
}
