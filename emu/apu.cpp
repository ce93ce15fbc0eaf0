// The sound's clock, its registers, the direct-sound FIFOs and the mixer.
//
// The sound runs behind the processor and catches up on demand: before a
// sound register changes, when a FIFO takes a sample, and when the caller
// takes samples. Each output sample is the channels' levels at its moment,
// mixed as the hardware mixes them into its 10-bit output and centred on the
// bias, so silence is 0 whatever the bias.
#include "emu/apu.hpp"

#include "emu/apu_channels.hpp"
#include "emu/gba.hpp"
#include "emu/io.hpp"

namespace emu {

namespace {

constexpr uint64_t kClock = 16777216; // processor cycles per second
constexpr uint64_t kSequencerPeriod = kClock / 512;
constexpr uint32_t kSoundcntL = 0x080, kSoundcntH = 0x082, kSoundcntX = 0x084, kSoundbias = 0x088;
constexpr uint32_t kWaveRam = 0x090, kFifoA = 0x0A0;
constexpr uint32_t kOutputScale = 32; // one step of the 10-bit output in the 16-bit sample

bool master_on(const Gba& gba) { return (io_get(gba, kSoundcntX) & 0x80) != 0; }

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

void push(Apu& apu, int16_t left, int16_t right) {
    if (apu.ring_count == kApuRingFrames) {
        apu.ring_start = (apu.ring_start + 1) % kApuRingFrames;
        --apu.ring_count;
    }
    const uint32_t at = (apu.ring_start + apu.ring_count) % kApuRingFrames;
    apu.ring[2 * at] = left;
    apu.ring[2 * at + 1] = right;
    ++apu.ring_count;
}

int16_t to_output(const Apu& apu, int32_t level) {
    const int32_t bias = apu.bias & 0x3FE;
    const int32_t resolution_mask = ~((2 << (apu.bias >> 14)) - 1);
    const int32_t dac = clamp(level + bias, 0, 0x3FF) & resolution_mask;
    return static_cast<int16_t>((dac - bias) * static_cast<int32_t>(kOutputScale));
}

void mix(Apu& apu) {
    int32_t left = 0, right = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        const int32_t level = tone_level(apu, i);
        if (apu.mix_volume & (0x1000u << i)) left += level;
        if (apu.mix_volume & (0x100u << i)) right += level;
    }
    left *= 1 + ((apu.mix_volume >> 4) & 7);
    right *= 1 + (apu.mix_volume & 7);
    static constexpr int32_t kPsgShift[4] = {2, 1, 0, 0};
    left >>= kPsgShift[apu.mix_control & 3];
    right >>= kPsgShift[apu.mix_control & 3];
    for (uint32_t f = 0; f < 2; ++f) {
        const int32_t sample = apu.fifo[f].sample * ((apu.mix_control & (4u << f)) ? 4 : 2);
        if (apu.mix_control & (0x200u << (4 * f))) left += sample;
        if (apu.mix_control & (0x100u << (4 * f))) right += sample;
    }
    push(apu, to_output(apu, left), to_output(apu, right));
}

uint64_t cycles_to_sample(const Apu& apu) { return (kClock - apu.sample_phase + apu.rate - 1) / apu.rate; }

// Produces the sound up to the processor's present.
void catch_up(Gba& gba) {
    Apu& apu = gba.apu;
    if (apu.rate == 0) {
        apu.clock = gba.cycles;
        return;
    }
    const bool on = master_on(gba);
    while (apu.clock < gba.cycles) {
        uint64_t target = apu.clock + cycles_to_sample(apu);
        if (apu.sequencer_due < target) target = apu.sequencer_due;
        if (gba.cycles < target) target = gba.cycles;
        const uint32_t dt = static_cast<uint32_t>(target - apu.clock);
        if (on) {
            for (uint32_t i = 0; i < 4; ++i) tone_advance(apu.tone[i], i, dt);
        }
        apu.clock = target;
        apu.sample_phase += static_cast<uint32_t>(dt * static_cast<uint64_t>(apu.rate));
        if (apu.clock == apu.sequencer_due) {
            if (on) sequencer_step(apu, apu.sequencer_step);
            apu.sequencer_step = (apu.sequencer_step + 1) & 7;
            apu.sequencer_due += kSequencerPeriod;
        }
        if (apu.sample_phase >= kClock) {
            apu.sample_phase -= static_cast<uint32_t>(kClock);
            if (on) mix(apu);
            else push(apu, 0, 0);
        }
    }
    uint16_t flags = static_cast<uint16_t>(io_get(gba, kSoundcntX) & ~0xFu);
    for (uint32_t i = 0; i < 4; ++i) flags = static_cast<uint16_t>(flags | (apu.tone[i].on ? 1u << i : 0u));
    io_set(gba, kSoundcntX, flags);
}

void fifo_push(ApuFifo& fifo, uint8_t byte) {
    if (fifo.count == sizeof fifo.data) return; // full: the byte is lost
    fifo.data[(fifo.head + fifo.count) % sizeof fifo.data] = byte;
    ++fifo.count;
}

void fifo_reset(ApuFifo& fifo) {
    fifo.head = 0;
    fifo.count = 0;
}

// The channel a register belongs to, or 4 for none.
uint32_t channel_of(uint32_t offset) {
    if (offset >= 0x060 && offset < 0x066) return 0;
    if (offset >= 0x068 && offset < 0x06E) return 1;
    if (offset >= 0x070 && offset < 0x076) return 2;
    if (offset >= 0x078 && offset < 0x07E) return 3;
    return 4;
}

void power_off(Gba& gba) {
    for (uint32_t off = 0x060; off < 0x082; off += 2) io_set(gba, off, 0);
    for (ApuTone& tone : gba.apu.tone) tone = ApuTone{};
}

void show_idle_wave_bank(Gba& gba) {
    const uint32_t idle = ((io_get(gba, 0x070) >> 6) & 1u) ^ 1u;
    __builtin_memcpy(gba.mem.io + kWaveRam, gba.apu.wave_ram[idle], 16);
}

void channel_written(Gba& gba, uint32_t index, uint32_t offset, uint32_t end) {
    static constexpr uint32_t kLengthByte[4] = {0x062, 0x068, 0x072, 0x078};
    static constexpr uint32_t kRestartByte[4] = {0x065, 0x06D, 0x075, 0x07D};
    ApuTone& tone = gba.apu.tone[index];
    if (offset <= kLengthByte[index] && kLengthByte[index] < end) {
        const uint32_t n = gba.mem.io[kLengthByte[index]];
        tone.length = static_cast<uint16_t>(index == 2 ? 256 - n : 64 - (n & 0x3F));
    }
    if (index == 2 && offset <= 0x070 && 0x070 < end) show_idle_wave_bank(gba);
    const uint32_t restart = kRestartByte[index];
    if (offset <= restart && restart < end && (gba.mem.io[restart] & 0x80)) {
        gba.mem.io[restart] &= 0x7F;
        tone_restart(gba, index);
    } else {
        tone_configure(gba, index);
    }
}

} // namespace

void apu_set_rate(Gba& gba, uint32_t rate) {
    catch_up(gba);
    Apu& apu = gba.apu;
    apu.rate = rate;
    apu.clock = gba.cycles;
    apu.sample_phase = 0;
    apu.sequencer_due = apu.clock + kSequencerPeriod - apu.clock % kSequencerPeriod;
    apu.mix_volume = io_get(gba, kSoundcntL);
    apu.mix_control = io_get(gba, kSoundcntH);
    apu.bias = io_get(gba, kSoundbias);
}

uint32_t apu_take(Gba& gba, int16_t* out, uint32_t max_frames) {
    catch_up(gba);
    Apu& apu = gba.apu;
    const uint32_t n = apu.ring_count < max_frames ? apu.ring_count : max_frames;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t at = (apu.ring_start + i) % kApuRingFrames;
        out[2 * i] = apu.ring[2 * at];
        out[2 * i + 1] = apu.ring[2 * at + 1];
    }
    apu.ring_start = (apu.ring_start + n) % kApuRingFrames;
    apu.ring_count -= n;
    return n;
}

void apu_timer_overflow(Gba& gba, uint32_t timer) {
    catch_up(gba);
    const uint16_t control = io_get(gba, kSoundcntH);
    for (uint32_t f = 0; f < 2; ++f) {
        if (((control >> (10 + 4 * f)) & 1u) != timer) continue;
        ApuFifo& fifo = gba.apu.fifo[f];
        if (fifo.count > 0) {
            fifo.sample = static_cast<int8_t>(fifo.data[fifo.head]);
            fifo.head = static_cast<uint8_t>((fifo.head + 1) % sizeof fifo.data);
            --fifo.count;
        }
        if (fifo.count <= 16) machine_fifo_request(gba, f);
    }
}

void apu_register_written(Gba& gba, uint32_t offset, uint32_t size) {
    catch_up(gba);
    Apu& apu = gba.apu;
    const uint32_t end = offset + size;
    if (offset >= kFifoA) {
        for (uint32_t at = offset; at < end; ++at) fifo_push(apu.fifo[(at - kFifoA) / 4], gba.mem.io[at]);
        return;
    }
    if (offset >= kWaveRam) {
        const uint32_t idle = ((io_get(gba, 0x070) >> 6) & 1u) ^ 1u;
        for (uint32_t at = offset; at < end; ++at) apu.wave_ram[idle][at - kWaveRam] = gba.mem.io[at];
        return;
    }
    if (offset < kSoundcntH && !master_on(gba)) {
        power_off(gba); // the tone registers take nothing while the sound is off
        return;
    }
    if (offset <= kSoundcntX && kSoundcntX < end && !master_on(gba)) power_off(gba);
    if (offset <= kSoundcntH + 1 && kSoundcntH + 1 < end) {
        const uint8_t high = gba.mem.io[kSoundcntH + 1];
        if (high & 0x08) fifo_reset(apu.fifo[0]);
        if (high & 0x80) fifo_reset(apu.fifo[1]);
    }
    apu.mix_volume = io_get(gba, kSoundcntL);
    apu.mix_control = io_get(gba, kSoundcntH);
    apu.bias = io_get(gba, kSoundbias);
    const uint32_t index = channel_of(offset);
    if (index < 4) channel_written(gba, index, offset, end);
}

} // namespace emu
