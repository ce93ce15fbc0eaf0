/* Channel 4 with the 7-bit counter, clocked at 524288 / 1 / 2^(4+1) =
   16384 Hz: the pattern repeats every 127 steps, a fundamental of 129.0 Hz.
   Volume 15, right only. */
#include "sound_common.h"

int main(void) {
    rt_begin("SOUND NOISE");
    sound_start();
    REG_SOUNDCNT_L = SND_ROUTE(0x0, 0x8);
    REG_SOUND4CNT_L = SND_ENVELOPE(15);
    REG_SOUND4CNT_H = (uint16_t)(SND_RESTART | (4 << 4) | 0x8 | 1); /* shift 4, 7 bits, ratio 1 */
    sound_show("NOISE", 0x41);
    rt_idle();
}
