/* Flash of 64 KiB. */
#define SAVE_TITLE "SAVE FLASH 64K"
#include "save_common.h"
#include "save_flash.h"

__attribute__((used, aligned(4))) static const char save_id[] = "FLASH512_V131";

static int save_read_byte(int i) { return FLASH[0x100 + i]; }

static void save_write_pattern(void) {
    flash_erase_sector0();
    for (int i = 0; i < PATTERN_BYTES; ++i) flash_program(0x100 + i, pattern(i));
}
