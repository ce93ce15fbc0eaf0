/* What the compiler may call on its own in freestanding code for ARMv4T: the
   block copies and fills, and the divisions the processor has no instruction
   for. */
#include <stddef.h>
#include <stdint.h>

void* memcpy(void* dst, const void* src, size_t n);
void* memset(void* dst, int value, size_t n);
uint32_t __aeabi_uidiv(uint32_t n, uint32_t d);
uint64_t __aeabi_uidivmod(uint32_t n, uint32_t d);
int32_t __aeabi_idiv(int32_t n, int32_t d);

void* memcpy(void* dst, const void* src, size_t n) {
    unsigned char* d = dst;
    const unsigned char* s = src;
    while (n--) *d++ = *s++;
    return dst;
}

void* memset(void* dst, int value, size_t n) {
    unsigned char* d = dst;
    while (n--) *d++ = (unsigned char)value;
    return dst;
}

/* Restoring division, one quotient bit per step; division by zero gives 0. */
uint64_t __aeabi_uidivmod(uint32_t n, uint32_t d) {
    uint32_t q = 0, r = 0;
    if (d != 0) {
        for (int bit = 31; bit >= 0; --bit) {
            r = (r << 1) | ((n >> bit) & 1);
            if (r >= d) {
                r -= d;
                q |= 1u << bit;
            }
        }
    }
    return ((uint64_t)r << 32) | q;
}

uint32_t __aeabi_uidiv(uint32_t n, uint32_t d) { return (uint32_t)__aeabi_uidivmod(n, d); }

int32_t __aeabi_idiv(int32_t n, int32_t d) {
    uint32_t un = n < 0 ? 0u - (uint32_t)n : (uint32_t)n;
    uint32_t ud = d < 0 ? 0u - (uint32_t)d : (uint32_t)d;
    uint32_t q = __aeabi_uidiv(un, ud);
    return (n < 0) != (d < 0) ? (int32_t)(0u - q) : (int32_t)q;
}
