/* Channel 3 plays one bank of 32 digits, a sine of one period, at rate 1899:
   2097152 / (2048 - 1899) / 32 = 439.8 Hz, volume 100 %, both sides. */
#include "sound_common.h"

/* 32 digits, two per byte (high nibble first), 7.5 + 7.5 sin(2 pi (i + 1/2) / 32) rounded. */
static const uint8_t sine_digits[16] = {
    0x8A, 0xBC, 0xDE, 0xFF, 0xFF, 0xED, 0xCB, 0xA8, 0x75, 0x43, 0x21, 0x00, 0x00, 0x12, 0x34, 0x57,
};

int main(void) {
    rt_begin("SOUND WAVE");
    sound_start();
    REG_SOUNDCNT_L = SND_ROUTE(0x4, 0x4);
    REG_SOUND3CNT_L = 0x0040; /* bank 1 plays: writes go to bank 0 */
    for (int i = 0; i < 8; ++i) WAVE_RAM[i] = (uint16_t)(sine_digits[2 * i] | (sine_digits[2 * i + 1] << 8));
    REG_SOUND3CNT_L = 0x0080; /* bank 0, one bank, on */
    REG_SOUND3CNT_H = 0x2000; /* volume 100 % */
    REG_SOUND3CNT_X = (uint16_t)(SND_RESTART | 1899);
    sound_show("RATE3", 1899);
    rt_idle();
}
