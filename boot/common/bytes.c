#include "bytes.h"

uint32_t bt_cache_lines(uint32_t start, uint32_t len) {
    const uint32_t room = 0xFFFFFFFFu - start; /* bytes after the first one */
    uint32_t last;
    if (len == 0) return 0;
    if (len - 1u > room) len = room + 1u;
    last = start + (len - 1u); /* no wrap-around now */
    return ((last & ~31u) - (start & ~31u)) / 32u + 1u;
}

size_t bt_copy_text(char* dst, size_t cap, const char* src, size_t src_len) {
    size_t n = 0;
    if (cap == 0) return 0;
    while (n + 1 < cap && n < src_len && src[n] != '\0') {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = '\0';
    return n;
}

size_t bt_format_uint(char* dst, uint32_t v) {
    char tmp[11];
    size_t n = 0, i;
    do {
        tmp[n++] = (char)('0' + v % 10u);
        v /= 10u;
    } while (v != 0);
    for (i = 0; i < n; ++i) dst[i] = tmp[n - 1 - i];
    dst[n] = '\0';
    return n;
}

void bt_format_padded(char* dst, uint32_t v, int width) {
    int i;
    for (i = width - 1; i >= 0; --i) {
        dst[i] = (char)('0' + v % 10u);
        v /= 10u;
    }
    dst[width] = '\0';
}
