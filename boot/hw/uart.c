/* Debug UART on the expansion interface (channel 0, device 1): each line
   ends up in the emulator's log. Every build writes its game lines here; on
   a console without a debug device, device 1 is the clock/SRAM chip, whose
   clock (0x20000000) and SRAM (0x20000100) the UART address 0x20010000
   does not touch, and every wait below is bounded. */
#include "exi.h"

#define SPINS 1000000u

/* A write of len bytes; a device that does not answer is given up on. */
static void put(uint32_t data, uint32_t len) { (void)hw_exi_transfer(&data, len, EXI_WRITE, SPINS); }

void hw_uart_puts(const char* text) {
    HW_REG32(EXI_PARAM) = 1u << 8 | 3u << 4; /* device 1 */
    put(0xA0010000u, 4);                     /* write to the UART */
    for (; *text != '\0'; ++text) put((uint32_t)(unsigned char)*text << 24, 1);
    put((uint32_t)'\r' << 24, 1);
    HW_REG32(EXI_PARAM) = 0;
}
