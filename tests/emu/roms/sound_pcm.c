/* Direct sound: a 32-sample sine (from a table in ROM, repeated into an
   EWRAM buffer of three seconds) played through FIFO A, fed by DMA 1 in
   FIFO mode, timer 0 overflowing at 16777216 / 1024 = 16384 Hz: a 512 Hz
   tone at 100 %, both sides. After the buffer the DMA feeds silence. */
#include "sound_common.h"

enum { RATE = 16384, SECONDS = 3, LENGTH = RATE * SECONDS };

static const int8_t sine32[32] = {
    0, 25,  49,  71,  90,  106,  117,  125,  127,  125,  117,  106,  90,  71,  49,  25,
    0, -25, -49, -71, -90, -106, -117, -125, -127, -125, -117, -106, -90, -71, -49, -25,
};

__attribute__((section(".ewram_bss"), aligned(4))) static int8_t pcm[LENGTH + 1024];

int main(void) {
    rt_begin("SOUND PCM");
    for (uint32_t i = 0; i < LENGTH; ++i) pcm[i] = sine32[i % 32];
    sound_start();
    REG_SOUNDCNT_L = SND_ROUTE(0x0, 0x0);
    REG_SOUNDCNT_H = (uint16_t)(0x0002 | 0x0004 | 0x0100 | 0x0200 | 0x0800); /* A: 100 %, both, timer 0, reset */
    REG_DMASAD(1) = (uint32_t)pcm;
    REG_DMADAD(1) = FIFO_A_ADDRESS;
    REG_DMACNT_H(1) = (uint16_t)(DMA_ENABLE | 0x3000 | DMA_REPEAT | DMA_32 | DMA_DST_FIXED);
    REG_TMCNT_L(0) = (uint16_t)(65536 - 1024);
    REG_TMCNT_H(0) = TM_ENABLE | TM_PRESCALE_1;
    sound_show("RATE", RATE);
    rt_idle();
}
