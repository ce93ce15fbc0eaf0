#include "hw.h"

#include "../common/bytes.h"

#define LINE 32u

/* One operation per cache line of the range, counted beforehand so that no
   range, however long, makes the loop wrap round and run for ever. */
#define CACHE_LOOP(op)                                                                                                 \
    uint32_t a = (uint32_t)start & ~(LINE - 1u);                                                                       \
    uint32_t lines = bt_cache_lines((uint32_t)start, len);                                                             \
    for (; lines != 0; --lines, a += LINE) __asm__ volatile(op " 0,%0" : : "r"(a) : "memory");                         \
    __asm__ volatile("sync" : : : "memory")

void hw_dcache_flush(const void* start, uint32_t len) { CACHE_LOOP("dcbf"); }

void hw_dcache_invalidate(const void* start, uint32_t len) { CACHE_LOOP("dcbi"); }

void hw_icache_invalidate(const void* start, uint32_t len) {
    CACHE_LOOP("icbi");
    __asm__ volatile("isync" : : : "memory");
}
