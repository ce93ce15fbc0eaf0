/* The compiler's 64-bit division routines, which -nostdlib leaves out and
   the emulator core calls (shift and subtract, ../common/divide.c; a
   division by zero gives 0), and the time base. */
#include <stdint.h>

#include "../common/divide.h"
#include "hw.h"

uint64_t __udivdi3(uint64_t n, uint64_t d);
uint64_t __umoddi3(uint64_t n, uint64_t d);
int64_t __divdi3(int64_t n, int64_t d);
int64_t __moddi3(int64_t n, int64_t d);

uint64_t __udivdi3(uint64_t n, uint64_t d) {
    uint64_t r;
    return bt_divide_u64(n, d, &r);
}

uint64_t __umoddi3(uint64_t n, uint64_t d) {
    uint64_t r;
    bt_divide_u64(n, d, &r);
    return r;
}

static uint64_t magnitude(int64_t v) { return v < 0 ? (uint64_t)0 - (uint64_t)v : (uint64_t)v; }

int64_t __divdi3(int64_t n, int64_t d) {
    uint64_t r;
    const uint64_t q = bt_divide_u64(magnitude(n), magnitude(d), &r);
    return (n < 0) != (d < 0) ? (int64_t)((uint64_t)0 - q) : (int64_t)q;
}

int64_t __moddi3(int64_t n, int64_t d) {
    uint64_t r;
    bt_divide_u64(magnitude(n), magnitude(d), &r);
    return n < 0 ? (int64_t)((uint64_t)0 - r) : (int64_t)r;
}

uint32_t hw_time(void) {
    uint32_t t;
    __asm__ volatile("mftb %0" : "=r"(t));
    return t;
}
