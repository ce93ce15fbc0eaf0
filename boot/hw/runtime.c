/* The compiler's 64-bit division routines, which -nostdlib leaves out and
   the emulator core calls: plain shift-and-subtract. A division by zero
   gives 0 (quotient and remainder) instead of a trap. */
#include <stdint.h>

#include "hw.h"

uint64_t __udivdi3(uint64_t n, uint64_t d);
uint64_t __umoddi3(uint64_t n, uint64_t d);
int64_t __divdi3(int64_t n, int64_t d);
int64_t __moddi3(int64_t n, int64_t d);

static uint64_t divide(uint64_t n, uint64_t d, uint64_t* remainder) {
    uint64_t q = 0, r = 0;
    int bit;
    if (d == 0) {
        *remainder = 0;
        return 0;
    }
    if ((n >> 32) == 0 && (d >> 32) == 0) { /* the common case, in 32 bits */
        *remainder = (uint32_t)n % (uint32_t)d;
        return (uint32_t)n / (uint32_t)d;
    }
    for (bit = 63; bit >= 0; --bit) {
        r = r << 1 | (n >> bit & 1u);
        if (r >= d) {
            r -= d;
            q |= (uint64_t)1 << bit;
        }
    }
    *remainder = r;
    return q;
}

uint64_t __udivdi3(uint64_t n, uint64_t d) {
    uint64_t r;
    return divide(n, d, &r);
}

uint64_t __umoddi3(uint64_t n, uint64_t d) {
    uint64_t r;
    divide(n, d, &r);
    return r;
}

static uint64_t magnitude(int64_t v) {
    return v < 0 ? (uint64_t)0 - (uint64_t)v : (uint64_t)v;
}

int64_t __divdi3(int64_t n, int64_t d) {
    uint64_t r;
    const uint64_t q = divide(magnitude(n), magnitude(d), &r);
    return (n < 0) != (d < 0) ? (int64_t)((uint64_t)0 - q) : (int64_t)q;
}

int64_t __moddi3(int64_t n, int64_t d) {
    uint64_t r;
    divide(magnitude(n), magnitude(d), &r);
    return n < 0 ? (int64_t)((uint64_t)0 - r) : (int64_t)r;
}

uint32_t hw_time(void) {
    uint32_t t;
    __asm__ volatile("mftb %0" : "=r"(t));
    return t;
}
