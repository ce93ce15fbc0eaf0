/* Flash of 128 KiB: the pattern's first half in bank 0, its second half in
   bank 1, so that the bank switch is what brings it together. */
#define SAVE_TITLE "SAVE FLASH 128K"
#include "save_common.h"
#include "save_flash.h"

__attribute__((used, aligned(4))) static const char save_id[] = "FLASH1M_V103";

#define HALF (PATTERN_BYTES / 2)

static int save_read_byte(int i) {
    flash_bank(i < HALF ? 0 : 1);
    return FLASH[0x100 + i];
}

static void save_write_pattern(void) {
    for (int bank = 0; bank < 2; ++bank) {
        flash_bank(bank);
        flash_erase_sector0();
        for (int i = bank * HALF; i < (bank + 1) * HALF; ++i) flash_program(0x100 + i, pattern(i));
    }
}
