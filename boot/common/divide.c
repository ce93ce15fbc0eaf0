#include "divide.h"

uint64_t bt_divide_u64(uint64_t n, uint64_t d, uint64_t* remainder) {
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
