/* EEPROM of 8 KiB: 14 address bits. */
#define SAVE_TITLE "SAVE EEPROM 8K"
#define EEPROM_WIDTH 14
#include "save_common.h"
#include "save_eeprom.h"

__attribute__((used, aligned(4))) static const char save_id[] = "EEPROM_V124";
