/* 64-bit unsigned division by shift and subtract, for the compiler's
   support routines on the console (boot/hw/runtime.c). */
#ifndef BOOT_DIVIDE_H
#define BOOT_DIVIDE_H

#include <stdint.h>

/* n / d, with n % d in *remainder; a division by zero gives 0 and 0. */
uint64_t bt_divide_u64(uint64_t n, uint64_t d, uint64_t* remainder);

#endif
