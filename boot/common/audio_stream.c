#include "audio_stream.h"

/* 32768 / 32000 in 16.16. */
#define AS_NOMINAL_STEP ((uint32_t)(((uint64_t)AS_INPUT_RATE << 16) / AS_OUTPUT_RATE))
/* Gain change per output frame of a fade. */
#define AS_GAIN_STEP (AS_GAIN_ONE / (int32_t)AS_FADE_FRAMES)

void audio_stream_init(audio_stream* s) {
    uint8_t* bytes = (uint8_t*)s;
    for (uint32_t i = 0; i < sizeof *s; ++i) bytes[i] = 0;
    s->nominal_step = AS_NOMINAL_STEP;
    s->step = AS_NOMINAL_STEP;
}

uint32_t audio_stream_space(const audio_stream* s) { return AS_RING_FRAMES - s->ring_count; }

uint32_t audio_stream_push(audio_stream* s, const int16_t* frames, uint32_t count) {
    const uint32_t space = audio_stream_space(s);
    const uint32_t taken = count < space ? count : space;
    for (uint32_t i = 0; i < taken; ++i) {
        const uint32_t at = (s->ring_read + s->ring_count + i) % AS_RING_FRAMES;
        s->ring[2 * at] = frames[2 * i];
        s->ring[2 * at + 1] = frames[2 * i + 1];
    }
    s->ring_count += taken;
    s->dropped += count - taken;
    return taken;
}

void audio_stream_fade_in(audio_stream* s) { s->gain_target = AS_GAIN_ONE; }
void audio_stream_fade_out(audio_stream* s) { s->gain_target = 0; }
int audio_stream_silent(const audio_stream* s) { return s->gain == 0 && s->gain_target == 0; }

void audio_stream_clear(audio_stream* s) {
    s->ring_count = 0;
    s->phase = 0;
    s->primed = 0;
}

/* The step for the next block: the nominal one, faster when the ring holds
   more than the target and slower when less, by up to 2 % at an empty or a
   full ring (a drift of 0.35 %, one handheld frame a console field, settles
   an eighth of the ring off the target). */
static uint32_t adjusted_step(const audio_stream* s) {
    int32_t error = (int32_t)s->ring_count - (int32_t)AS_TARGET_FILL;
    if (error > (int32_t)AS_TARGET_FILL) error = (int32_t)AS_TARGET_FILL;
    const int32_t range = (int32_t)(s->nominal_step / 50u);
    return (uint32_t)((int32_t)s->nominal_step + range * error / (int32_t)AS_TARGET_FILL);
}

static int16_t mix(int32_t a, int32_t b, uint32_t phase, int32_t gain) {
    const int32_t v = a + (int32_t)(((int64_t)(b - a) * (int64_t)phase) >> 16);
    return (int16_t)(((int64_t)v * gain) >> 15);
}

static void step_gain(audio_stream* s) {
    if (s->gain < s->gain_target) {
        s->gain += AS_GAIN_STEP;
        if (s->gain > s->gain_target) s->gain = s->gain_target;
    } else if (s->gain > s->gain_target) {
        s->gain -= AS_GAIN_STEP;
        if (s->gain < s->gain_target) s->gain = s->gain_target;
    }
}

const int16_t* audio_stream_fill(audio_stream* s) {
    int16_t* out = s->block[s->next_block];
    s->next_block ^= 1u;
    s->step = adjusted_step(s);
    if (s->ring_count >= AS_TARGET_FILL) s->primed = 1;
    for (uint32_t i = 0; i < AS_BLOCK_FRAMES; ++i) {
        step_gain(s);
        if (s->primed && s->ring_count < 2) {
            s->primed = 0;  /* ran dry: wait for the target fill again */
            ++s->underruns;
        }
        if (s->primed) {
            const uint32_t a = s->ring_read, b = (s->ring_read + 1) % AS_RING_FRAMES;
            for (uint32_t c = 0; c < 2; ++c) s->last[c] = mix(s->ring[2 * a + c], s->ring[2 * b + c], s->phase, AS_GAIN_ONE);
            s->phase += s->step;
            const uint32_t whole = s->phase >> 16;
            const uint32_t advance = whole < s->ring_count - 1 ? whole : s->ring_count - 1;
            s->ring_read = (s->ring_read + advance) % AS_RING_FRAMES;
            s->ring_count -= advance;
            s->phase &= 0xFFFFu;
        }
        /* Otherwise the last frame is held: no jump to 0. */
        out[2 * i] = mix(s->last[0], s->last[0], 0, s->gain);
        out[2 * i + 1] = mix(s->last[1], s->last[1], 0, s->gain);
    }
    return out;
}
