/* The two library functions the compiler still calls for local array
   initialisers and copies of structures, and the emulator core for its line
   buffers: a word at a time where both ends are aligned alike. */
#include <stddef.h>
#include <stdint.h>

void* memcpy(void* dst, const void* src, size_t n);
void* memset(void* dst, int c, size_t n);

void* memcpy(void* dst, const void* src, size_t n) {
    unsigned char* d = dst;
    const unsigned char* s = src;
    if ((((uintptr_t)d ^ (uintptr_t)s) & 3u) == 0) {
        while (((uintptr_t)d & 3u) != 0 && n > 0) {
            *d++ = *s++;
            --n;
        }
        for (; n >= 16; n -= 16, d += 16, s += 16) {
            uint32_t* dw = (uint32_t*)(void*)d;
            const uint32_t* sw = (const uint32_t*)(const void*)s;
            dw[0] = sw[0];
            dw[1] = sw[1];
            dw[2] = sw[2];
            dw[3] = sw[3];
        }
        for (; n >= 4; n -= 4, d += 4, s += 4) *(uint32_t*)(void*)d = *(const uint32_t*)(const void*)s;
    }
    while (n-- > 0) *d++ = *s++;
    return dst;
}

void* memset(void* dst, int c, size_t n) {
    unsigned char* d = dst;
    const uint32_t word = (uint32_t)(unsigned char)c * 0x01010101u;
    while (((uintptr_t)d & 3u) != 0 && n > 0) {
        *d++ = (unsigned char)c;
        --n;
    }
    for (; n >= 16; n -= 16, d += 16) {
        uint32_t* dw = (uint32_t*)(void*)d;
        dw[0] = word;
        dw[1] = word;
        dw[2] = word;
        dw[3] = word;
    }
    for (; n >= 4; n -= 4, d += 4) *(uint32_t*)(void*)d = word;
    while (n-- > 0) *d++ = (unsigned char)c;
    return dst;
}
