// The sound: two square-wave channels (the first with a frequency sweep), the
// wave channel with its two banks of wave RAM, the noise channel, the two
// direct-sound FIFOs and the mixer. Nothing runs per cycle: the sound catches
// up with the processor when a sound register changes, a FIFO takes a sample,
// or the caller takes samples, and it produces nothing at all while the
// caller has asked for no sound.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

// Stereo sample frames the core keeps for the caller (about a tenth of a
// second at 48 kHz); older ones are dropped when the caller does not take them.
constexpr uint32_t kApuRingFrames = 4096;

struct ApuEnvelope {
    uint8_t volume; // 0-15
    uint8_t step;   // ticks of 64 Hz between changes, 0 = none
    uint8_t counter;
    bool up;
};

struct ApuTone { // channels 1, 2 (square), 3 (wave) and 4 (noise)
    bool on;     // playing (SOUNDCNT_X bits 0-3)
    bool length_enabled;
    uint16_t length;    // ticks of 256 Hz left
    uint16_t frequency; // the 11-bit rate value
    uint32_t period;    // cycles per step of the waveform
    uint32_t timer;     // cycles to the next step
    uint32_t position;  // step within the waveform
    uint8_t duty;
    ApuEnvelope envelope;
    uint8_t sweep_shift, sweep_time, sweep_counter; // channel 1
    bool sweep_down;
    uint8_t wave_bank;     // channel 3: the bank played first
    bool wave_two_banks;   // channel 3: both banks, 64 digits
    uint8_t wave_quarters; // channel 3: volume in quarters (0-4)
    uint16_t lfsr;         // channel 4
    bool narrow;           // channel 4: 7-bit counter
};

struct ApuFifo {
    uint8_t data[32];
    uint8_t head, count;
    int8_t sample; // the sample now played
};

struct Apu {
    uint32_t rate;          // output samples per second; 0 = no sound wanted
    uint64_t clock;         // the cycle the sound has been produced up to
    uint32_t sample_phase;  // towards the next output sample, in 1/rate cycles
    uint64_t sequencer_due; // the next 512 Hz step of lengths, sweep, envelopes
    uint32_t sequencer_step;
    ApuTone tone[4];
    uint8_t wave_ram[2][16];
    ApuFifo fifo[2];
    uint16_t mix_volume, mix_control, bias; // SOUNDCNT_L, SOUNDCNT_H, SOUNDBIAS as the mixer uses them
    int16_t ring[kApuRingFrames * 2];
    uint32_t ring_start, ring_count;
};

// Asks for sound at `rate` samples per second (32768 is the handheld's own);
// 0 stops producing it.
void apu_set_rate(Gba& gba, uint32_t rate);
// Takes up to `max_frames` stereo frames (left, right, signed 16-bit) of the
// sound produced so far; returns how many.
uint32_t apu_take(Gba& gba, int16_t* out, uint32_t max_frames);

// Timer 0 or 1 overflowed (called once per overflow while the sound's master
// enable is on): the direct-sound FIFOs take their next sample.
void apu_timer_overflow(Gba& gba, uint32_t timer);
// A sound register (0x060-0x0A7, FIFOs included) was written: `size` bytes
// at `offset` from 0x04000000, already stored in gba.mem.io.
void apu_register_written(Gba& gba, uint32_t offset, uint32_t size);

} // namespace emu
