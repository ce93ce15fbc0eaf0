/* SRAM: 32 KiB, byte access. */
#define SAVE_TITLE "SAVE SRAM"
#include "save_common.h"

__attribute__((used, aligned(4))) static const char save_id[] = "SRAM_V113";

#define SRAM ((volatile uint8_t*)0x0E000000)

static int save_read_byte(int i) { return SRAM[0x100 + i]; }

static void save_write_pattern(void) {
    for (int i = 0; i < PATTERN_BYTES; ++i) SRAM[0x100 + i] = pattern(i);
}
