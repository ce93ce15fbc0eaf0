/* The thin hardware layer of the console build: video interface, disc
   interface, serial interface (controller), the caches, the time base and
   a debug UART. Register addresses are in docs/boot.md. */
#ifndef BOOT_HW_H
#define BOOT_HW_H

#include <stdint.h>

#define HW_REG32(a) (*(volatile uint32_t*)(a))
#define HW_REG16(a) (*(volatile uint16_t*)(a))
#define HW_PHYSICAL(p) ((uint32_t)(p)&0x3FFFFFFFu)
#define HW_UNCACHED(p) (HW_PHYSICAL(p) | 0xC0000000u)

/* Caches, over [start, start + len). */
void hw_dcache_flush(const void* start, uint32_t len);
void hw_dcache_invalidate(const void* start, uint32_t len);
void hw_icache_invalidate(const void* start, uint32_t len);

/* 640 x 480 interlaced NTSC from a framebuffer of 640 x 480 YUV pairs. */
void hw_vi_init(const void* framebuffer);
void hw_vi_show(const void* framebuffer);
/* Waits for the start of the next field (gives up after about a field). */
void hw_vi_wait_field(void);

/* Reads len bytes at a disc offset into dst, any alignment; 0 on success. */
int hw_di_read(void* ctx, uint32_t offset, void* dst, uint32_t len);

/* Controller port 1, polled once a field. */
void hw_si_init(void);
/* The latest first status word; BT_PAD_ABSENT (bit 31) when no controller
   has answered for a while. */
uint32_t hw_si_read(void);

/* Debug UART on the expansion interface: one line to the emulator's log.
   Harmless without a debug device (see uart.c). */
void hw_uart_puts(const char* text);

/* The time base's lower word: HW_TIME_HZ ticks a second (bus clock / 4). */
#define HW_TIME_HZ 40500000u
uint32_t hw_time(void);

#endif
