// The handheld is little-endian; the console running this core is big-endian.
// Every multi-byte access to the handheld's memory goes through these helpers,
// so the byte order is decided here and nowhere else.
#pragma once

#include <stdint.h>

namespace emu {

inline uint16_t load16(const uint8_t* p) {
    uint16_t v;
    __builtin_memcpy(&v, p, 2);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap16(v);
#endif
    return v;
}

inline uint32_t load32(const uint8_t* p) {
    uint32_t v;
    __builtin_memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

inline void store16(uint8_t* p, uint16_t v) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap16(v);
#endif
    __builtin_memcpy(p, &v, 2);
}

inline void store32(uint8_t* p, uint32_t v) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    __builtin_memcpy(p, &v, 4);
}

} // namespace emu
