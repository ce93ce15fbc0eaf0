/* Serial interface: the controller in port 1 (channel 0), polled by the
   interface once a field; the program reads the latest answer. */
#include "hw.h"

#define SI 0xCC006400u
#define SI_OUT0 (SI + 0x00) /* channel 0 output buffer */
#define SI_IN0H (SI + 0x04) /* channel 0 input, high word */
#define SI_IN0L (SI + 0x08) /* channel 0 input, low word */
#define SI_POLL (SI + 0x30)
#define SI_SR (SI + 0x38)    /* status */
#define SR_WRITE 0x80000000u /* write the output buffers out */
#define SR_NEW0 0x20000000u  /* channel 0: new data */
#define SR_ERRORS0 0x0F000000u
#define POLL_COMMAND 0x00400300u /* poll, analog mode 3, no rumble */
#define ABSENT 0x80000000u
#define SILENT_FIELDS 30u

static uint32_t latest = ABSENT;
static uint32_t silent = SILENT_FIELDS;

void hw_si_init(void) {
    HW_REG32(SI_OUT0) = POLL_COMMAND;
    HW_REG32(SI_SR) = SR_WRITE;
    HW_REG32(SI_POLL) = 300u << 16 | 1u << 8 | 0x80u | 0x08u;
}

uint32_t hw_si_read(void) {
    const uint32_t status = HW_REG32(SI_SR);
    if (status & SR_ERRORS0) HW_REG32(SI_SR) = status & SR_ERRORS0; /* clear them */
    if (status & SR_NEW0) {
        latest = HW_REG32(SI_IN0H);
        (void)HW_REG32(SI_IN0L);
        silent = 0;
    } else if (silent < SILENT_FIELDS && ++silent == SILENT_FIELDS) {
        latest = ABSENT;
    }
    return latest;
}
