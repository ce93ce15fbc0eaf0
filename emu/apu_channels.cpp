// The four tone channels: their waveforms, lengths, envelopes and the sweep.
#include "emu/apu_channels.hpp"

#include "emu/gba.hpp"
#include "emu/io.hpp"

namespace emu {

namespace {

constexpr uint32_t kLengthRegister[4] = {0x062, 0x068, 0x072, 0x078};
constexpr uint32_t kControlRegister[4] = {0x064, 0x06C, 0x074, 0x07C};
constexpr uint32_t kWaveControl = 0x070;
constexpr uint8_t kDutyPatterns[4] = {0x01, 0x03, 0x0F, 0x3F}; // 12.5 %, 25 %, 50 %, 75 % high

uint32_t square_period(uint16_t frequency) { return (2048u - frequency) * 16u; }
uint32_t wave_period(uint16_t frequency) { return (2048u - frequency) * 8u; }

// Channels 1, 2 and 4 are silent for good while their envelope starts at 0
// going down; the wave channel while its playback bit is clear.
bool powered(const Gba& gba, uint32_t index) {
    if (index == 2) return (io_get(gba, kWaveControl) & 0x80) != 0;
    return (io_get(gba, kLengthRegister[index]) & 0xF800) != 0;
}

void noise_step(ApuTone& tone) {
    const uint16_t carry = tone.lfsr & 1u;
    tone.lfsr = static_cast<uint16_t>(tone.lfsr >> 1);
    if (carry) tone.lfsr = static_cast<uint16_t>(tone.lfsr ^ (tone.narrow ? 0x60u : 0x6000u));
    tone.position = carry;
}

void envelope_tick(ApuTone& tone) {
    ApuEnvelope& env = tone.envelope;
    if (env.step == 0 || --env.counter != 0) return;
    env.counter = env.step;
    if (env.up && env.volume < 15) ++env.volume;
    if (!env.up && env.volume > 0) --env.volume;
}

void sweep_tick(ApuTone& tone) {
    if (tone.sweep_time == 0 || --tone.sweep_counter != 0) return;
    tone.sweep_counter = tone.sweep_time;
    const uint32_t delta = static_cast<uint32_t>(tone.frequency) >> tone.sweep_shift;
    const uint32_t next = tone.sweep_down ? tone.frequency - delta : tone.frequency + delta;
    if (next > 2047) {
        tone.on = false;
    } else if (tone.sweep_shift != 0) {
        tone.frequency = static_cast<uint16_t>(next);
        tone.period = square_period(tone.frequency);
    }
}

} // namespace

void tone_advance(ApuTone& tone, uint32_t index, uint32_t cycles) {
    if (!tone.on) return;
    if (cycles < tone.timer) {
        tone.timer -= cycles;
        return;
    }
    cycles -= tone.timer;
    const uint32_t steps = 1 + cycles / tone.period;
    tone.timer = tone.period - cycles % tone.period;
    if (index == 3) {
        for (uint32_t i = 0; i < steps; ++i) noise_step(tone);
    } else {
        tone.position += steps;
    }
}

int32_t tone_level(const Apu& apu, uint32_t index) {
    const ApuTone& tone = apu.tone[index];
    if (!tone.on) return 0;
    if (index == 2) {
        const uint32_t span = tone.wave_two_banks ? 64u : 32u;
        const uint32_t step = tone.position % span;
        const uint32_t bank = (tone.wave_bank + step / 32) & 1u;
        const uint8_t byte = apu.wave_ram[bank][(step % 32) / 2];
        const int32_t digit = (step & 1) ? (byte & 0xF) : (byte >> 4);
        return (2 * digit - 15) * tone.wave_quarters / 4;
    }
    const bool high =
        index == 3 ? (tone.position & 1) != 0 : ((kDutyPatterns[tone.duty] >> (tone.position & 7)) & 1) != 0;
    const int32_t volume = tone.envelope.volume;
    return high ? volume : -volume;
}

void sequencer_step(Apu& apu, uint32_t step) {
    if ((step & 1) == 0) {
        for (ApuTone& tone : apu.tone) {
            if (tone.on && tone.length_enabled && tone.length > 0 && --tone.length == 0) tone.on = false;
        }
    }
    if (step == 2 || step == 6) sweep_tick(apu.tone[0]);
    if (step == 7) {
        envelope_tick(apu.tone[0]);
        envelope_tick(apu.tone[1]);
        envelope_tick(apu.tone[3]);
    }
}

void tone_configure(Gba& gba, uint32_t index) {
    ApuTone& tone = gba.apu.tone[index];
    const uint16_t length_reg = io_get(gba, kLengthRegister[index]);
    const uint16_t control = io_get(gba, kControlRegister[index]);
    tone.length_enabled = (control & 0x4000) != 0;
    if (index == 2) {
        const uint16_t wave = io_get(gba, kWaveControl);
        tone.wave_two_banks = (wave & 0x20) != 0;
        tone.wave_bank = static_cast<uint8_t>((wave >> 6) & 1);
        static constexpr uint8_t kQuarters[4] = {0, 4, 2, 1};
        tone.wave_quarters = (length_reg & 0x8000) ? 3 : kQuarters[(length_reg >> 13) & 3];
    } else {
        tone.envelope.step = static_cast<uint8_t>((length_reg >> 8) & 7);
        tone.envelope.up = (length_reg & 0x800) != 0;
    }
    if (index == 3) {
        const uint32_t ratio = control & 7u;
        const uint32_t shift = (control >> 4) & 15u;
        tone.period = (ratio == 0 ? 32u : 64u * ratio) << shift;
        tone.narrow = (control & 8) != 0;
    } else {
        if (index != 2) tone.duty = static_cast<uint8_t>((length_reg >> 6) & 3);
        tone.frequency = static_cast<uint16_t>(control & 0x7FF);
        tone.period = index == 2 ? wave_period(tone.frequency) : square_period(tone.frequency);
    }
    if (index == 0) {
        const uint16_t sweep = io_get(gba, 0x060);
        tone.sweep_shift = static_cast<uint8_t>(sweep & 7);
        tone.sweep_down = (sweep & 8) != 0;
        tone.sweep_time = static_cast<uint8_t>((sweep >> 4) & 7);
    }
    if (tone.timer > tone.period) tone.timer = tone.period;
    if (!powered(gba, index)) tone.on = false;
}

void tone_restart(Gba& gba, uint32_t index) {
    ApuTone& tone = gba.apu.tone[index];
    tone_configure(gba, index);
    if (!powered(gba, index)) return;
    tone.on = true;
    if (tone.length == 0) tone.length = index == 2 ? 256 : 64;
    tone.timer = tone.period;
    tone.position = 0;
    if (index != 2) {
        tone.envelope.volume = static_cast<uint8_t>(io_get(gba, kLengthRegister[index]) >> 12);
        tone.envelope.counter = tone.envelope.step;
    }
    if (index == 0) tone.sweep_counter = tone.sweep_time;
    if (index == 3) tone.lfsr = tone.narrow ? 0x40 : 0x4000;
}

} // namespace emu
