/* The clock chip on expansion interface channel 0, device 1, in immediate
   mode. From the same public register description as exi_card.c: write
   the address 0x20000000 and read 4 bytes for the clock's counter; the
   settings memory (SRAM) reads from 0x20000100, and its word at 0x0C is the
   counter's bias (the counter plus the bias is the time since 2000). */
#include "rtc.h"

#include "exi.h"

#define SELECT_CLOCK (1u << 8 | 3u << 4) /* device 1, 8 MHz */
#define CLOCK 0x20000000u
#define SETTINGS 0x20000100u
#define BIAS_WORD 3u /* byte 0x0C */
#define SPINS 100000u

/* The word'th 32-bit word from address; 0 when a transfer timed out. */
static int read_word(uint32_t address, uint32_t word, uint32_t* out) {
    uint32_t i, data = address;
    int ok;
    HW_REG32(EXI_PARAM) = SELECT_CLOCK;
    ok = hw_exi_transfer(&data, 4, EXI_WRITE, SPINS);
    for (i = 0; ok && i <= word; ++i) ok = hw_exi_transfer(&data, 4, EXI_READ, SPINS);
    HW_REG32(EXI_PARAM) = 0;
    *out = data;
    return ok;
}

uint32_t hw_rtc_seconds(void) {
    uint32_t counter, bias;
    if (!read_word(CLOCK, 0, &counter) || !read_word(SETTINGS, BIAS_WORD, &bias)) return 0;
    return counter + bias;
}
