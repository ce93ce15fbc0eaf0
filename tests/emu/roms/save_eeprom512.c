/* EEPROM of 512 bytes: 6 address bits. */
#define SAVE_TITLE "SAVE EEPROM 512"
#define EEPROM_WIDTH 6
#include "save_common.h"
#include "save_eeprom.h"

__attribute__((used, aligned(4))) static const char save_id[] = "EEPROM_V124";
