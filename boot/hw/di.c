/* Disc interface: DMA reads of 32-byte multiples into 32-byte aligned
   memory. Any other request goes through a bounce buffer. */
#include "hw.h"

#define DI 0xCC006000u
#define DI_SR (DI + 0x00)   /* status */
#define DI_CMD0 (DI + 0x08) /* command */
#define DI_CMD1 (DI + 0x0C) /* disc offset / 4 */
#define DI_CMD2 (DI + 0x10) /* length */
#define DI_MAR (DI + 0x14)  /* memory address */
#define DI_LEN (DI + 0x18)  /* DMA length */
#define DI_CR (DI + 0x1C)   /* control: bit 0 start/busy, bit 1 DMA */
#define DI_READ 0xA8000000u
#define SR_CLEAR 0x54u /* clear the pending flags */
#define SR_ERROR 0x04u
#define BOUNCE 0x8000u

static uint8_t bounce[BOUNCE] __attribute__((aligned(32)));

/* One aligned DMA read. */
static int dma_read(void* dst, uint32_t offset, uint32_t len) {
    uint32_t spins = 0;
    hw_dcache_flush(dst, len);
    HW_REG32(DI_SR) = SR_CLEAR;
    HW_REG32(DI_CMD0) = DI_READ;
    HW_REG32(DI_CMD1) = offset >> 2;
    HW_REG32(DI_CMD2) = len;
    HW_REG32(DI_MAR) = HW_PHYSICAL(dst);
    HW_REG32(DI_LEN) = len;
    HW_REG32(DI_CR) = 3;
    while (HW_REG32(DI_CR) & 1u)
        if (++spins > 100000000u) return -1;
    hw_dcache_invalidate(dst, len);
    return HW_REG32(DI_SR) & SR_ERROR ? -1 : 0;
}

int hw_di_read(void* ctx, uint32_t offset, void* dst, uint32_t len) {
    uint8_t* out = dst;
    (void)ctx;
    while (len > 0) {
        const uint32_t skip = offset & 3u;
        uint32_t chunk = len;
        uint32_t i;
        if (skip == 0 && ((uint32_t)out & 31u) == 0 && len >= 32) {
            chunk = len & ~31u; /* straight into place */
            if (dma_read(out, offset, chunk) != 0) return -1;
        } else {
            if (chunk > BOUNCE - 32u) chunk = BOUNCE - 32u;
            if (dma_read(bounce, offset - skip, (chunk + skip + 31u) & ~31u) != 0) return -1;
            for (i = 0; i < chunk; ++i) out[i] = bounce[skip + i];
        }
        out += chunk;
        offset += chunk;
        len -= chunk;
    }
    return 0;
}
