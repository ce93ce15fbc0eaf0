/* The game's sound: the core's frames go into the stream after every
   emulated frame; the audio DMA plays the stream's blocks, refilled whenever
   the loop passes by (after the emulation and again after the drawing). A
   block lasts twice the longest recent time between two looks (48 ms at
   least), so a slow frame still refills in time. Every REPORT_EVERY frames
   a line on the debug UART tells how the stream fares (docs/sound.md). */
#include "game_sound.h"

#include <stdint.h>

#include "../../emu/kessra_emu.h"
#include "../common/audio_stream.h"
#include "../common/bytes.h"
#include "../hw/audio.h"
#include "../hw/hw.h"

#define TAKE_FRAMES 1024u /* more than a handheld frame makes (about 549) */
#define REPORT_EVERY 300u
/* The longest recent time between two looks forgets 1/128 of itself at
   each look (half in about 90 looks, 1.5 s at 30 frames a second). */
#define FORGET_SHIFT 7

typedef struct {
    audio_stream stream; /* ~36 KiB: static, not on the stack */
    int16_t taken[2 * TAKE_FRAMES];
    int playing;           /* the DMA runs */
    uint32_t frames;       /* handheld frames since the last report */
    uint32_t last_service; /* the time base at the last refill check */
    uint32_t longest_gap;  /* the longest time between two looks since the last report, in ticks */
    uint32_t recent_gap;   /* the longest recent one, fading: sets the block length */
    uint32_t block_ticks;  /* the time of the block queued last */
    uint32_t late;         /* looks that came later than that block's time */
} game_sound;

static game_sound sound;

/* Refills a block if the DMA has started one, and notes how long it has
   been since the last look. */
static int service(void) {
    const uint32_t now = hw_time(), gap = now - sound.last_service;
    sound.last_service = now;
    if (gap > sound.longest_gap) sound.longest_gap = gap;
    sound.recent_gap = gap > sound.recent_gap ? gap : sound.recent_gap - (sound.recent_gap >> FORGET_SHIFT);
    if (sound.block_ticks != 0 && gap > sound.block_ticks) ++sound.late;
    if (!hw_audio_service(&sound.stream, audio_block_frames(sound.recent_gap, HW_TIME_HZ))) return 0;
    sound.block_ticks = (uint32_t)((uint64_t)sound.stream.block_frames * HW_TIME_HZ / AS_OUTPUT_RATE);
    return 1;
}

static size_t put_number(char* line, size_t n, const char* label, uint32_t value) {
    n += bt_copy_text(line + n, 16, label, 16);
    return n + bt_format_uint(line + n, value);
}

/* "kessra: sound fill F underruns U dropped D late L longest-ms G block B"
   (the frames of the last block). */
static void report(void) {
    char line[128];
    size_t n = bt_copy_text(line, 16, "kessra: sound", 13);
    n = put_number(line, n, " fill ", sound.stream.ring_count);
    n = put_number(line, n, " underruns ", sound.stream.underruns);
    n = put_number(line, n, " dropped ", sound.stream.dropped);
    n = put_number(line, n, " late ", sound.late);
    n = put_number(line, n, " longest-ms ", sound.longest_gap / (HW_TIME_HZ / 1000u));
    n = put_number(line, n, " block ", sound.stream.block_frames);
    line[n] = '\0';
    hw_uart_puts(line);
    sound.longest_gap = 0;
}

void game_sound_init(void) {
    hw_audio_init();
    audio_stream_init(&sound.stream);
}

void game_sound_start(void* emu) {
    kessra_emu_set_audio_rate(emu, AS_INPUT_RATE);
    /* A new game, or the same again from the pause menu (faded out by
       then): the ring starts empty and the blocks are silence until it
       holds the target fill. */
    audio_stream_clear(&sound.stream);
    audio_stream_fade_in(&sound.stream);
    sound.frames = 0;
    sound.last_service = hw_time();
    if (!sound.playing) {
        hw_audio_start();
        sound.playing = 1;
        sound.block_ticks = 0; /* the silent lead-in plays first */
    }
}

void game_sound_frame(void* emu) {
    const uint32_t n = kessra_emu_take_audio(emu, sound.taken, TAKE_FRAMES);
    audio_stream_push(&sound.stream, sound.taken, n);
    service();
    if (++sound.frames == REPORT_EVERY) {
        report();
        sound.frames = 0;
    }
}

void game_sound_field(void) {
    if (sound.playing) service();
}

void game_sound_pause(void) { audio_stream_fade_out(&sound.stream); }

/* What the ring still holds plays on; once it ran dry during the pause,
   playing waits for the target fill again. */
void game_sound_resume(void) {
    audio_stream_fade_in(&sound.stream);
    sound.last_service = hw_time();
}

void game_sound_stop(void* emu) {
    /* The block filled when the fade ends may still be queued behind one
       at full volume: stop only once a block filled after it plays. */
    uint32_t refills = 0, fields = 0;
    audio_stream_fade_out(&sound.stream);
    while (sound.playing && refills < 2 && fields < 60) {
        const int silent = audio_stream_silent(&sound.stream);
        hw_vi_wait_field();
        ++fields;
        if (service() && silent) ++refills;
    }
    hw_audio_stop();
    sound.playing = 0;
    kessra_emu_set_audio_rate(emu, 0);
}
