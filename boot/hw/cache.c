#include "hw.h"

#define LINE 32u

#define CACHE_LOOP(op)                                                                  \
    uint32_t a = (uint32_t)start & ~(LINE - 1u);                                        \
    const uint32_t end = (uint32_t)start + len;                                         \
    for (; a < end; a += LINE) __asm__ volatile(op " 0,%0" : : "r"(a) : "memory");      \
    __asm__ volatile("sync" : : : "memory")

void hw_dcache_flush(const void* start, uint32_t len) {
    CACHE_LOOP("dcbf");
}

void hw_dcache_invalidate(const void* start, uint32_t len) {
    CACHE_LOOP("dcbi");
}

void hw_icache_invalidate(const void* start, uint32_t len) {
    CACHE_LOOP("icbi");
    __asm__ volatile("isync" : : : "memory");
}
