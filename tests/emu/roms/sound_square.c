/* Two square waves: channel 1 at 131072 / (2048 - 1750) = 439.8 Hz, duty
   50 %, left only; channel 2 at 131072 / (2048 - 1899) = 879.7 Hz, duty 25 %,
   right only. Both at envelope volume 15 without steps, for as long as the
   ROM runs. */
#include "sound_common.h"

int main(void) {
    rt_begin("SOUND SQUARE");
    sound_start();
    REG_SOUNDCNT_L = SND_ROUTE(0x1, 0x2);
    REG_SOUND1CNT_L = 0x0008; /* no sweep (time 0) */
    REG_SOUND1CNT_H = (uint16_t)(SND_ENVELOPE(15) | SND_DUTY(2));
    REG_SOUND1CNT_X = (uint16_t)(SND_RESTART | 1750);
    REG_SOUND2CNT_L = (uint16_t)(SND_ENVELOPE(15) | SND_DUTY(1));
    REG_SOUND2CNT_H = (uint16_t)(SND_RESTART | 1899);
    sound_show("RATE1", 1750);
    rt_idle();
}
