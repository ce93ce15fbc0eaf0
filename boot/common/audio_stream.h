/* The sound between the handheld core and the console's audio DMA: the
   core's 32768 Hz stereo frames go into a ring; the audio DMA plays two
   blocks in turn, and each block is filled from the ring resampled to the
   output rate (32000 Hz). The resampling step follows the ring's fill, a
   small correction (at most +-2 %) that keeps the sound in step with the
   picture whatever the two clocks do; a gain ramp fades the sound in and out
   so that starting, pausing and ending a game make no click, and a short
   one fades the sound out just before the ring runs dry (the game runs
   slower than the sound plays) and in again once the ring is full enough,
   so that a gap is silence rather than a click. No hardware
   here: boot/hw/audio.c moves the blocks. */
#ifndef BOOT_AUDIO_STREAM_H
#define BOOT_AUDIO_STREAM_H

#include <stdint.h>

#define AS_INPUT_RATE 32768u
#define AS_OUTPUT_RATE 32000u
/* Stereo frames a DMA block holds: 48 ms at 32000 Hz (6 KiB) or, while the
   game loop is slow to look in, up to twice as many, in steps of 64 frames
   (256 bytes, a multiple of the DMA's 32-byte unit). The next block must be
   queued while one plays, so the loop must look in at least once a block:
   a field is 17 ms, a slow handheld frame 30-45 ms. */
#define AS_BLOCK_FRAMES 1536u
#define AS_BLOCK_MAX_FRAMES 3072u
#define AS_BLOCK_STEP_FRAMES 64u
/* Stereo frames the ring holds (188 ms). The fill aimed at when a block is
   filled is half of it: a block takes about 1570 input frames and leaves
   about as many behind. Playing starts (and starts again after the ring ran
   dry) once the ring holds that much. */
#define AS_RING_FRAMES 6144u
#define AS_TARGET_FILL (AS_RING_FRAMES / 2u)
/* Output frames (1.5 s) the ring must play without running dry before the
   rate correction applies (at the start, and again after it ran dry): a
   game too slow to keep the ring filled plays its sound at the right
   pitch, in pieces. */
#define AS_CALM_FRAMES 48000u
/* Output frames of a fade (16 ms). */
#define AS_FADE_FRAMES 512u
/* Output frames over which the sound fades out before the ring runs dry,
   and back in once it is full enough again (4 ms). */
#define AS_DRY_FADE_FRAMES 128u
#define AS_GAIN_ONE 32768
/* Where the sides go in an output frame: the audio DMA takes the right
   sample first (docs/sound.md). */
#define AS_OUT_RIGHT 0u
#define AS_OUT_LEFT 1u

typedef struct {
    int16_t ring[AS_RING_FRAMES * 2];
    uint32_t ring_read;    /* the frame at the resampler's position */
    uint32_t ring_count;   /* frames from ring_read on */
    uint32_t phase;        /* between ring_read and the next frame, in 1/65536 */
    uint32_t nominal_step; /* input frames per output frame, 16.16 */
    uint32_t step;         /* the step the last block used */
    int32_t gain;          /* 0 .. AS_GAIN_ONE: the fades asked for */
    int32_t gain_target;
    int32_t flow;          /* 0 .. AS_GAIN_ONE: down to 0 where the ring runs dry, up again after */
    uint32_t primed;       /* 1 once the ring reached the target fill */
    uint32_t underruns;    /* times the ring ran dry while playing */
    uint32_t calm;         /* output frames made since it last ran dry (up to AS_CALM_FRAMES) */
    uint32_t dropped;      /* input frames the full ring refused */
    uint32_t next_block;   /* the block audio_stream_fill fills next: 0 or 1 */
    uint32_t block_frames; /* output frames of the block filled last */
    int16_t block[2][AS_BLOCK_MAX_FRAMES * 2] __attribute__((aligned(32)));
} audio_stream;

/* Silence, gain 0, an empty ring. */
void audio_stream_init(audio_stream* s);
/* Appends `count` stereo frames (left, right) from the core; returns how
   many the ring took (the rest is dropped and counted). */
uint32_t audio_stream_push(audio_stream* s, const int16_t* frames, uint32_t count);
/* Frames the ring can still take. */
uint32_t audio_stream_space(const audio_stream* s);
/* Ramps the gain up to full, or down to 0, over AS_FADE_FRAMES. */
void audio_stream_fade_in(audio_stream* s);
void audio_stream_fade_out(audio_stream* s);
/* Whether the gain has reached 0 and stays there (a fade out is over). */
int audio_stream_silent(const audio_stream* s);
/* Drops what the ring holds (a new game, or after a pause). */
void audio_stream_clear(audio_stream* s);
/* Fills the next block with `frames` output frames (a multiple of
   AS_BLOCK_STEP_FRAMES up to AS_BLOCK_MAX_FRAMES; others are rounded down,
   at least one step) and returns it (frames * 4 bytes); the blocks
   alternate. */
const int16_t* audio_stream_fill(audio_stream* s, uint32_t frames);
/* The block length for a loop whose longest recent time between two looks
   is `gap` (in ticks of `ticks_per_second`): twice that, at least
   AS_BLOCK_FRAMES, at most AS_BLOCK_MAX_FRAMES, in steps of
   AS_BLOCK_STEP_FRAMES. */
uint32_t audio_block_frames(uint32_t gap, uint32_t ticks_per_second);

#endif
