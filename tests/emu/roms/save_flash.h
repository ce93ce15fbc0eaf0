/* Flash: the unlock pair, then the command; sector 0 erased before the
   pattern is programmed byte by byte. */
#ifndef SAVE_FLASH_H
#define SAVE_FLASH_H

#define FLASH ((volatile uint8_t*)0x0E000000)

static void flash_command(uint8_t command) {
    FLASH[0x5555] = 0xAA;
    FLASH[0x2AAA] = 0x55;
    FLASH[0x5555] = command;
}

static void flash_wait(int offset, uint8_t value) {
    for (int spins = 0; spins < 100000 && FLASH[offset] != value; ++spins) {}
}

static void flash_erase_sector0(void) {
    flash_command(0x80);
    FLASH[0x5555] = 0xAA;
    FLASH[0x2AAA] = 0x55;
    FLASH[0x0000] = 0x30;
    flash_wait(0, 0xFF);
}

static void flash_program(int offset, uint8_t value) {
    flash_command(0xA0);
    FLASH[offset] = value;
    flash_wait(offset, value);
}

__attribute__((unused)) static void flash_bank(int bank) {
    flash_command(0xB0);
    FLASH[0] = (uint8_t)bank;
}

#endif
