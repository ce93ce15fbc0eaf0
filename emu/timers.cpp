// The four timers. Nothing ticks per cycle: a running timer keeps the count it
// had at one cycle and its prescaler phase, and any later count follows from
// gba.cycles. Only overflows that have an effect (an IRQ, a count-up timer
// above, the sound's FIFOs) are scheduled as events.
#include "emu/io.hpp"

namespace emu {
namespace {

constexpr uint8_t kPrescalerShift[4] = {0, 6, 8, 10};

bool enabled(const Timer& t) { return (t.control & 0x80) != 0; }

bool counts_up(const Gba& gba, uint32_t i) { return i > 0 && (gba.machine.timers[i].control & 0x4); }

bool sound_on(const Gba& gba) { return (io_get(gba, kRegSoundcntX) & 0x80) != 0; }

// Adds ticks to the counter, reloading on each overflow; returns the overflows.
uint64_t add_ticks(Timer& t, uint64_t ticks) {
    const uint64_t v = t.counter + ticks;
    if (v < 0x10000) {
        t.counter = static_cast<uint16_t>(v);
        return 0;
    }
    const uint64_t period = 0x10000u - t.reload;
    const uint64_t past = v - 0x10000;
    t.counter = static_cast<uint16_t>(t.reload + past % period);
    return 1 + past / period;
}

void overflowed(Gba& gba, uint32_t i, uint64_t n) {
    const Timer& t = gba.machine.timers[i];
    if (t.control & 0x40) machine_raise_irq(gba, static_cast<uint16_t>(kIrqTimer0 << i));
    if (i < 2 && sound_on(gba)) {
        for (uint64_t k = 0; k < n; ++k) apu_timer_overflow(gba, i);
    }
    if (i < 3 && enabled(gba.machine.timers[i + 1]) && counts_up(gba, i + 1)) {
        const uint64_t above = add_ticks(gba.machine.timers[i + 1], n);
        if (above) overflowed(gba, i + 1, above);
    }
}

void advance(Gba& gba, uint32_t i, uint64_t until) {
    Timer& t = gba.machine.timers[i];
    if (!t.running || until <= t.since) return;
    const uint64_t ticks = (until - t.since) >> t.shift;
    if (ticks == 0) return;
    t.since += ticks << t.shift;
    const uint64_t n = add_ticks(t, ticks);
    if (n) overflowed(gba, i, n);
}

void advance_all(Gba& gba, uint64_t until) {
    for (uint32_t i = 0; i < 4; ++i) advance(gba, i, until);
}

// A write to a timer takes effect one cycle after it: the count (and any
// overflow) of that cycle still follows the old settings.
void before_write(Gba& gba) { advance_all(gba, gba.cycles + 1); }

bool has_effect(const Gba& gba, uint32_t i) {
    const Timer& t = gba.machine.timers[i];
    if (t.control & 0x40) return true;
    if (i < 3 && enabled(gba.machine.timers[i + 1]) && counts_up(gba, i + 1)) return true;
    return i < 2 && sound_on(gba);
}

} // namespace

void timers_init(Gba& gba) {
    for (Timer& t : gba.machine.timers) t.overflow_at = kNever;
    gba.machine.next_timer = kNever;
}

void timers_schedule(Gba& gba) {
    Machine& m = gba.machine;
    m.next_timer = kNever;
    for (uint32_t i = 0; i < 4; ++i) {
        Timer& t = m.timers[i];
        t.overflow_at = t.running ? t.since + ((0x10000u - t.counter) << t.shift) : kNever;
        if (t.running && has_effect(gba, i) && t.overflow_at < m.next_timer) m.next_timer = t.overflow_at;
    }
    if (m.next_timer < gba.run_until) gba.run_until = m.next_timer;
}

void timers_sync(Gba& gba) {
    advance_all(gba, gba.cycles);
    timers_schedule(gba);
}

uint16_t timer_read_counter(Gba& gba, uint32_t timer) {
    timers_sync(gba);
    return gba.machine.timers[timer].counter;
}

void timer_write_reload(Gba& gba, uint32_t timer, uint16_t value) {
    before_write(gba);
    gba.machine.timers[timer].reload = value;
}

void timer_write_control(Gba& gba, uint32_t timer, uint16_t value) {
    before_write(gba);
    Timer& t = gba.machine.timers[timer];
    const bool was = enabled(t);
    const uint8_t shift = kPrescalerShift[value & 3];
    t.control = value;
    if (enabled(t) && (!was || shift != t.shift)) {
        if (!was) t.counter = t.reload;
        t.since = gba.cycles + kTimerStartDelay;
    }
    t.shift = shift;
    t.running = enabled(t) && !counts_up(gba, timer);
    timers_schedule(gba);
}

} // namespace emu
