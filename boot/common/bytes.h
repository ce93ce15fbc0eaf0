/* Big-endian reads and small string helpers shared by the loader, the
   program and their host tests. Everything on the disc is big-endian. */
#ifndef BOOT_BYTES_H
#define BOOT_BYTES_H

#include <stddef.h>
#include <stdint.h>

static inline uint32_t bt_be32(const uint8_t* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

static inline uint16_t bt_be16(const uint8_t* p) { return (uint16_t)((unsigned)p[0] << 8 | (unsigned)p[1]); }

static inline uint32_t bt_round_up32(uint32_t v) { return (v + 31u) & ~31u; }

/* The 32-byte cache lines that [start, start + len) touches, the range cut
   at the top of the address space: a cache loop runs exactly this many
   times and ends, whatever length a header claims. */
uint32_t bt_cache_lines(uint32_t start, uint32_t len);

/* Copies at most cap - 1 bytes of src (stopping at a NUL) and terminates. */
size_t bt_copy_text(char* dst, size_t cap, const char* src, size_t src_len);

/* Decimal text of v into dst (at least 11 bytes); returns the length. */
size_t bt_format_uint(char* dst, uint32_t v);

/* Decimal text of v, zero-padded to width digits (width <= 10). */
void bt_format_padded(char* dst, uint32_t v, int width);

#endif
