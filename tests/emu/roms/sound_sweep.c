/* Channel 1 from rate 1200 (154.5 Hz) sweeping up by an eighth of the rate
   (shift 3) every 7/128 s: 1200, 1350, 1518, 1707, 1920, then 2160 is past
   2047 and the channel stops. Duty 50 %, volume 12, both sides. */
#include "sound_common.h"

int main(void) {
    rt_begin("SOUND SWEEP");
    sound_start();
    REG_SOUNDCNT_L = SND_ROUTE(0x1, 0x1);
    REG_SOUND1CNT_L = (uint16_t)((7 << 4) | 3); /* time 7, increase, shift 3 */
    REG_SOUND1CNT_H = (uint16_t)(SND_ENVELOPE(12) | SND_DUTY(2));
    REG_SOUND1CNT_X = (uint16_t)(SND_RESTART | 1200);
    sound_show("RATE1", 1200);
    rt_idle();
}
