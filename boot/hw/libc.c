/* The two library functions the compiler still calls for local array
   initialisers and copies of structures. */
#include <stddef.h>

void* memcpy(void* dst, const void* src, size_t n);
void* memset(void* dst, int c, size_t n);

void* memcpy(void* dst, const void* src, size_t n) {
    unsigned char* d = dst;
    const unsigned char* s = src;
    while (n-- > 0) *d++ = *s++;
    return dst;
}

void* memset(void* dst, int c, size_t n) {
    unsigned char* d = dst;
    while (n-- > 0) *d++ = (unsigned char)c;
    return dst;
}
