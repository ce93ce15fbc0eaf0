// The machine's loop: the processor runs up to the next event (a change of
// line phase or a timer overflow that matters), the events are handled, and
// halted time is skipped.
#include "emu/io.hpp"

namespace emu {

void machine_init(Gba& gba) {
    Machine& m = gba.machine;
    __builtin_memset(&m, 0, sizeof m);
    m.memctl = 0x0D000020;
    m.cart_next = kNoCartAddress;
    m.irq_at = kNever;
    io_set(gba, kRegKeyinput, kAllKeys);
    waits_update(gba);
    timers_init(gba);
    display_init(gba);
}

void gba_run_frame(Gba& gba) {
    Machine& m = gba.machine;
    m.frame_done = false;
    if (!m.video_started) {
        m.video_started = true;
        video_frame_start(gba);
    }
    while (!m.frame_done) {
        uint64_t next = m.next_display < m.next_timer ? m.next_display : m.next_timer;
        if (m.irq_at < next) next = m.irq_at;
        if (m.dma_pending && gba.cycles >= m.dma_due) {
            dma_run_pending(gba, next);
        } else {
            if (m.dma_pending && m.dma_due < next) next = m.dma_due;
            if (m.halted) {
                if (gba.cycles < next) gba.cycles = next;
            } else {
                gba.run_until = next;
                cpu_run(gba);
                // The processor stops early only when asked to; anything
                // else would stall the loop, so time moves on regardless.
                if (gba.cycles < gba.run_until && !m.halted) gba.cycles = gba.run_until;
            }
        }
        if (gba.cycles >= m.next_timer) timers_sync(gba);
        display_process(gba);
        irq_deliver(gba);
    }
}

void gba_set_keys(Gba& gba, uint16_t pressed) {
    gba.machine.keys = pressed & kAllKeys;
    io_set(gba, kRegKeyinput, static_cast<uint16_t>(~pressed & kAllKeys));
    keypad_check(gba);
}

} // namespace emu
