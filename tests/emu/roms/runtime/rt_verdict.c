#include "rt.h"

volatile struct rt_verdict_block rt_verdict __attribute__((section(".verdict")));

/* The line the next check or note is drawn on (the title is on row 0). */
static int next_row;

void rt_begin(const char* title) {
    rt_screen_init();
    rt_verdict.state = RT_RUNNING;
    rt_verdict.checks = 0;
    rt_verdict.failed = 0;
    rt_verdict.first_failed = 0;
    rt_verdict.magic = RT_VERDICT_MAGIC;
    rt_text(0, 0, title, WHITE);
    next_row = 1;
}

/* Rows 1-24 of the left half, then of the right half; the last row is the
   summary's. Lines past the end overwrite the last one. */
#define LINES_PER_HALF (RT_ROWS - 2)

static void draw_line(const char* name, uint32_t got, const uint32_t* want, uint16_t colour) {
    int n = next_row;
    if (next_row < 2 * LINES_PER_HALF) ++next_row;
    int column = n <= LINES_PER_HALF ? 0 : 30;
    int row = n <= LINES_PER_HALF ? n : n - LINES_PER_HALF;
    rt_text(column, row, name, colour);
    rt_hex(column + 8, row, got, 8, colour);
    if (want) rt_hex(column + 17, row, *want, 8, colour);
}

int rt_check(const char* name, uint32_t got, uint32_t want) {
    uint32_t index = rt_verdict.checks;
    int ok = got == want;
    if (index < RT_MAX_CHECKS) {
        volatile struct rt_check_entry* entry = &rt_verdict.entry[index];
        entry->got = got;
        entry->want = want;
        int i = 0;
        for (; i < 7 && name[i]; ++i) entry->name[i] = name[i];
        for (; i < 8; ++i) entry->name[i] = 0;
    }
    rt_verdict.checks = index + 1;
    if (!ok) {
        if (rt_verdict.failed == 0) rt_verdict.first_failed = index + 1;
        rt_verdict.failed = rt_verdict.failed + 1;
    }
    draw_line(name, got, &want, ok ? GREEN : RED);
    return ok;
}

void rt_note(const char* name, uint32_t value) { draw_line(name, value, 0, GREY); }

uint32_t rt_end(void) {
    uint32_t state = rt_verdict.failed == 0 ? RT_PASSED : RT_FAILED;
    rt_text(0, RT_ROWS - 1, state == RT_PASSED ? "PASSED" : "FAILED", state == RT_PASSED ? GREEN : RED);
    rt_dec(8, RT_ROWS - 1, rt_verdict.checks - rt_verdict.failed, WHITE);
    rt_text(12, RT_ROWS - 1, "OF", WHITE);
    rt_dec(15, RT_ROWS - 1, rt_verdict.checks, WHITE);
    rt_verdict.state = state;
    return state;
}

void rt_idle(void) {
    for (;;) {
        if (IRQ_VECTOR != 0 && (REG_IE & IRQ_VBLANK) && REG_IME) rt_vblank_intr_wait();
    }
}
