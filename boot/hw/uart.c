/* Debug UART on the expansion interface (channel 0, device 1): each line
   ends up in the emulator's log. Every build writes its game lines here; on
   a console without a debug device, device 1 is the clock/SRAM chip, whose
   clock (0x20000000) and SRAM (0x20000100) the UART address 0x20010000
   does not touch, and every wait below is bounded. */
#include "hw.h"

#define EXI0 0xCC006800u
#define EXI_SELECT (EXI0 + 0x00)
#define EXI_CONTROL (EXI0 + 0x0C)
#define EXI_DATA (EXI0 + 0x10)

static void transfer(uint32_t data, uint32_t control) {
    uint32_t spins = 0;
    HW_REG32(EXI_DATA) = data;
    HW_REG32(EXI_CONTROL) = control;
    while ((HW_REG32(EXI_CONTROL) & 1u) && ++spins < 1000000u) {}
}

void hw_uart_puts(const char* text) {
    HW_REG32(EXI_SELECT) = 1u << 8 | 3u << 4; /* device 1 */
    transfer(0xA0010000u, 0x35);              /* write to the UART */
    for (; *text != '\0'; ++text) transfer((uint32_t)(unsigned char)*text << 24, 0x05);
    transfer((uint32_t)'\r' << 24, 0x05);
    HW_REG32(EXI_SELECT) = 0;
}
