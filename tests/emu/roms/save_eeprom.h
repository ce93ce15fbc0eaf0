/* EEPROM: 64-bit blocks moved as bit streams by DMA 3, one bit per
   halfword. EEPROM_WIDTH (6 or 14 address bits) tells the chip its size. */
#ifndef SAVE_EEPROM_H
#define SAVE_EEPROM_H

#define EEPROM ((volatile uint16_t*)0x0DFFFF00)

static uint16_t stream[2 + 14 + 64 + 1 + 68];

static void dma3(const volatile void* src, volatile void* dst, int units) {
    REG_DMASAD(3) = (uint32_t)src;
    REG_DMADAD(3) = (uint32_t)dst;
    REG_DMACNT_L(3) = (uint16_t)units;
    REG_DMACNT_H(3) = DMA_ENABLE;
}

static int put_bits(int at, uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) stream[at++] = (uint16_t)(value >> i & 1);
    return at;
}

/* The eight bytes of block `block`, first byte first. */
static void eeprom_read_block(int block, uint8_t* bytes) {
    int n = put_bits(0, 3, 2);
    n = put_bits(n, (uint32_t)block, EEPROM_WIDTH);
    n = put_bits(n, 0, 1);
    dma3(stream, EEPROM, n);
    dma3(EEPROM, stream, 68);
    for (int i = 0; i < 8; ++i) {
        uint8_t byte = 0;
        for (int b = 0; b < 8; ++b) byte = (uint8_t)(byte << 1 | (stream[4 + 8 * i + b] & 1));
        bytes[i] = byte;
    }
}

static void eeprom_write_block(int block, const uint8_t* bytes) {
    int n = put_bits(0, 2, 2);
    n = put_bits(n, (uint32_t)block, EEPROM_WIDTH);
    for (int i = 0; i < 8; ++i) n = put_bits(n, bytes[i], 8);
    n = put_bits(n, 0, 1);
    dma3(stream, EEPROM, n);
    for (int spins = 0; spins < 100000 && (EEPROM[0] & 1) == 0; ++spins) {}
}

static int save_read_byte(int i) {
    uint8_t block[8];
    eeprom_read_block(2 + i / 8, block);
    return block[i % 8];
}

static void save_write_pattern(void) {
    for (int b = 0; b < PATTERN_BYTES / 8; ++b) {
        uint8_t block[8];
        for (int i = 0; i < 8; ++i) block[i] = pattern(8 * b + i);
        eeprom_write_block(2 + b, block);
    }
}

#endif
