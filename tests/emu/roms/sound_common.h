/* The sound registers the sound ROMs use, and the start every one of them
   makes: the master enable first (the tone registers take nothing while it
   is off), full master volume on both sides, the tone channels at 100 %. */
#ifndef SOUND_COMMON_H
#define SOUND_COMMON_H

#include "rt.h"

#define REG_SOUND1CNT_L REG16(0x04000060) /* sweep */
#define REG_SOUND1CNT_H REG16(0x04000062) /* length, duty, envelope */
#define REG_SOUND1CNT_X REG16(0x04000064) /* rate, restart */
#define REG_SOUND2CNT_L REG16(0x04000068)
#define REG_SOUND2CNT_H REG16(0x0400006C)
#define REG_SOUND3CNT_L REG16(0x04000070) /* wave banks, enable */
#define REG_SOUND3CNT_H REG16(0x04000072) /* length, volume */
#define REG_SOUND3CNT_X REG16(0x04000074)
#define REG_SOUND4CNT_L REG16(0x04000078) /* length, envelope */
#define REG_SOUND4CNT_H REG16(0x0400007C) /* noise clock, width, restart */
#define REG_SOUNDCNT_L REG16(0x04000080)
#define REG_SOUNDCNT_H REG16(0x04000082)
#define REG_SOUNDCNT_X REG16(0x04000084)
#define REG_SOUNDBIAS REG16(0x04000088)
#define WAVE_RAM ((volatile uint16_t*)0x04000090)
#define FIFO_A_ADDRESS 0x040000A0u

#define SND_RESTART 0x8000
#define SND_ENVELOPE(volume) ((uint16_t)((volume) << 12)) /* no envelope steps */
#define SND_DUTY(d) ((uint16_t)((d) << 6))                /* 0 12.5 %, 1 25 %, 2 50 %, 3 75 % */
/* SOUNDCNT_L: channel bits 0-3 (1 to 4) to the left, to the right. */
#define SND_ROUTE(left, right) ((uint16_t)(0x77 | ((left) << 12) | ((right) << 8)))

static inline void sound_start(void) {
    REG_SOUNDCNT_X = 0x0080;
    REG_SOUNDBIAS = 0x0200;
    REG_SOUNDCNT_H = 0x0002; /* tone channels at 100 % */
}

/* Draws the lines every sound ROM shows and records its verdict (nothing to
   check inside: the host listens). */
static inline void sound_show(const char* what, uint32_t value) {
    rt_note(what, value);
    rt_end();
}

#endif
