/* Expansion interface channel 0 in immediate mode (up to 4 bytes a
   transfer, no DMA, no interrupts): its registers and one bounded transfer,
   shared by the memory card, clock and debug UART drivers. */
#ifndef BOOT_HW_EXI_H
#define BOOT_HW_EXI_H

#include <stdint.h>

#include "hw.h"

#define EXI0 0xCC006800u
#define EXI_PARAM (EXI0 + 0x00)   /* bits 7-9 chip select, one bit per device; bits 4-6 clock */
#define EXI_CONTROL (EXI0 + 0x0C) /* bit 0 start, cleared when done; bits 2-3 read 0, write 1; bits 4-5 length - 1 */
#define EXI_DATA (EXI0 + 0x10)    /* immediate data, most significant byte first */
#define EXI_READ 0x01u
#define EXI_WRITE 0x05u

/* One transfer of len (1..4) bytes, left-aligned in *data (sent on a write,
   received on a read); 0 when it did not end within `spins` polls. */
static inline int hw_exi_transfer(uint32_t* data, uint32_t len, uint32_t control, uint32_t spins) {
    uint32_t n = 0;
    if (control == EXI_WRITE) HW_REG32(EXI_DATA) = *data;
    HW_REG32(EXI_CONTROL) = (len - 1u) << 4 | control;
    while (HW_REG32(EXI_CONTROL) & 1u)
        if (++n >= spins) return 0;
    if (control == EXI_READ) *data = HW_REG32(EXI_DATA);
    return 1;
}

#endif
