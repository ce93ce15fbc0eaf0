/* The console's clock (expansion interface channel 0, device 1, beside the
   debug UART): the date for a save's entry on the memory card. */
#ifndef BOOT_RTC_H
#define BOOT_RTC_H

#include <stdint.h>

/* Seconds since 1 January 2000: the clock's counter plus the bias the
   console's settings memory keeps for it; 0 when the chip does not
   answer. */
uint32_t hw_rtc_seconds(void);

#endif
