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
    s->calm = 0;
}

/* The step for the next block: the nominal one, faster when the ring holds
   more than the target and slower when less, by up to 2 % at an empty or a
   full ring (a drift of 0.35 %, one handheld frame a console field, settles
   about a sixth of the target off it). None while the ring keeps running
   dry: the game is too slow for any correction to help. */
static uint32_t adjusted_step(const audio_stream* s) {
    if (s->calm < AS_CALM_FRAMES) return s->nominal_step;
    int32_t error = (int32_t)s->ring_count - (int32_t)AS_TARGET_FILL;
    if (error > (int32_t)AS_TARGET_FILL) error = (int32_t)AS_TARGET_FILL;
    const int32_t range = (int32_t)(s->nominal_step / 50u);
    return (uint32_t)((int32_t)s->nominal_step + range * error / (int32_t)AS_TARGET_FILL);
}

/* a + (b - a) * phase, then scaled by two gains of AS_GAIN_ONE at most. */
static int16_t mix(int32_t a, int32_t b, uint32_t phase, int32_t gain, int32_t flow) {
    const int32_t v = a + (int32_t)(((int64_t)(b - a) * (int64_t)phase) >> 16);
    return (int16_t)(((int64_t)v * gain * flow) >> 30);
}

static int32_t toward(int32_t value, int32_t target, int32_t by) {
    if (value < target) return value + by < target ? value + by : target;
    return value - by > target ? value - by : target;
}

/* Output frames the ring can make at the current step before it runs dry:
   each needs the frame at the position and the one after it. */
static uint32_t playable_frames(const audio_stream* s) {
    if (s->ring_count < 2) return 0;
    const uint32_t span = ((s->ring_count - 1) << 16) - s->phase; /* below 2^29 */
    return (span + s->step - 1) / s->step;
}

#define AS_FLOW_STEP (AS_GAIN_ONE / (int32_t)AS_DRY_FADE_FRAMES)

const int16_t* audio_stream_fill(audio_stream* s, uint32_t frames) {
    int16_t* out = s->block[s->next_block];
    s->next_block ^= 1u;
    if (frames > AS_BLOCK_MAX_FRAMES) frames = AS_BLOCK_MAX_FRAMES;
    frames = frames < AS_BLOCK_STEP_FRAMES ? AS_BLOCK_STEP_FRAMES : frames - frames % AS_BLOCK_STEP_FRAMES;
    s->block_frames = frames;
    s->step = adjusted_step(s);
    if (s->ring_count >= AS_TARGET_FILL) s->primed = 1;
    const uint32_t playable = s->primed ? playable_frames(s) : 0;
    s->calm = s->calm + frames < AS_CALM_FRAMES ? s->calm + frames : AS_CALM_FRAMES;
    for (uint32_t i = 0; i < frames; ++i) {
        s->gain = toward(s->gain, s->gain_target, AS_GAIN_STEP);
        if (s->primed && i >= playable) {
            s->primed = 0; /* ran dry: wait for the target fill again */
            s->calm = 0;
            ++s->underruns;
        }
        if (!s->primed) {
            s->flow = 0;
            out[2 * i] = out[2 * i + 1] = 0;
            continue;
        }
        /* Down to 0 at the last frame the ring can make. */
        const uint32_t left = playable - i - 1;
        const int32_t cap = left >= AS_DRY_FADE_FRAMES ? AS_GAIN_ONE : (int32_t)left * AS_FLOW_STEP;
        s->flow = toward(s->flow, cap, AS_FLOW_STEP);
        if (s->flow > cap) s->flow = cap;
        const uint32_t a = s->ring_read, b = (s->ring_read + 1) % AS_RING_FRAMES;
        out[2 * i + AS_OUT_LEFT] = mix(s->ring[2 * a], s->ring[2 * b], s->phase, s->gain, s->flow);
        out[2 * i + AS_OUT_RIGHT] = mix(s->ring[2 * a + 1], s->ring[2 * b + 1], s->phase, s->gain, s->flow);
        s->phase += s->step;
        uint32_t advance = s->phase >> 16;
        if (advance > s->ring_count) advance = s->ring_count;
        s->ring_read = (s->ring_read + advance) % AS_RING_FRAMES;
        s->ring_count -= advance;
        s->phase &= 0xFFFFu;
    }
    return out;
}

uint32_t audio_block_frames(uint32_t gap, uint32_t ticks_per_second) {
    const uint64_t wanted = 2u * (uint64_t)gap * AS_OUTPUT_RATE / ticks_per_second;
    if (wanted <= AS_BLOCK_FRAMES) return AS_BLOCK_FRAMES;
    if (wanted >= AS_BLOCK_MAX_FRAMES) return AS_BLOCK_MAX_FRAMES;
    return ((uint32_t)wanted + AS_BLOCK_STEP_FRAMES - 1) / AS_BLOCK_STEP_FRAMES * AS_BLOCK_STEP_FRAMES;
}
