/* A save-chip test ROM: looks for its pattern in the save memory. Found: a
   green bar (a save kept from an earlier run). Not found: writes the pattern,
   reads it back, and shows a blue bar if it came back, red if not. Each ROM
   defines SAVE_ID (the library string the core detects the chip by) and the
   chip's access functions, then includes this file. */
#ifndef SAVE_COMMON_H
#define SAVE_COMMON_H

#include "rt.h"

#define PATTERN_BYTES 16
#define BLUE RGB(6, 6, 31)

static uint8_t pattern(int i) { return (uint8_t)(0x31 + 7 * i); }

/* The chip's access, defined by each ROM. */
static void save_write_pattern(void);
static int save_read_byte(int i);

static int has_pattern(void) {
    for (int i = 0; i < PATTERN_BYTES; ++i) {
        if (save_read_byte(i) != pattern(i)) return 0;
    }
    return 1;
}

static void bar(uint16_t colour) {
    for (int y = 140; y < 160; ++y) {
        for (int x = 0; x < 240; ++x) VRAM[y * 240 + x] = colour;
    }
}

int main(void) {
    rt_begin(SAVE_TITLE);
    REG_WAITCNT = 3; /* 8 wait states for the save area, as the chips want */
    const int found = has_pattern();
    rt_note("FOUND", (uint32_t)found);
    int ok = 1;
    if (!found) {
        save_write_pattern();
        ok = rt_check("READBACK", (uint32_t)has_pattern(), 1);
    }
    rt_end();
    bar(found ? GREEN : (ok ? BLUE : RED));
    rt_idle();
}

#endif
