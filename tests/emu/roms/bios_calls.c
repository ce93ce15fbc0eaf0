/* The BIOS calls, each result checked against a value this file works out
   from the call's documented definition (the divisions with the compiler's
   own division, the square root bit by bit, the decompressors' streams
   written out by hand with the bytes they stand for). */
#include "rt.h"

static uint32_t isqrt(uint32_t x) {
    uint32_t root = 0;
    for (uint32_t bit = 1u << 30; bit != 0; bit >>= 2) {
        if (x >= root + bit) {
            x -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
    }
    return root;
}

static const int32_t kDivisions[][2] = {{100, 7}, {-100, 7}, {100, -7}, {-100, -7}, {0x7FFFFFFF, 3}, {5, 9}};

static void divisions(void) {
    uint32_t quotients = 0, remainders = 0, magnitudes = 0, want_q = 0, want_r = 0, want_m = 0;
    uint32_t arm_q = 0, arm_r = 0;
    for (unsigned i = 0; i < sizeof kDivisions / sizeof kDivisions[0]; ++i) {
        int32_t n = kDivisions[i][0], d = kDivisions[i][1];
        struct rt_divmod r = rt_div(n, d);
        struct rt_divmod a = rt_div_arm(d, n);
        int32_t q = n / d;
        quotients = quotients * 131u + (uint32_t)r.quotient;
        remainders = remainders * 131u + (uint32_t)r.remainder;
        magnitudes = magnitudes * 131u + r.abs_quotient;
        arm_q = arm_q * 131u + (uint32_t)a.quotient;
        arm_r = arm_r * 131u + (uint32_t)a.remainder;
        want_q = want_q * 131u + (uint32_t)q;
        want_r = want_r * 131u + (uint32_t)(n - q * d);
        want_m = want_m * 131u + (uint32_t)(q < 0 ? -q : q);
    }
    rt_check("DIV Q", quotients, want_q);
    rt_check("DIV R", remainders, want_r);
    rt_check("DIV ABS", magnitudes, want_m);
    rt_check("DIVARMQ", arm_q, want_q);
    rt_check("DIVARMR", arm_r, want_r);
}

static const uint32_t kRoots[] = {0, 1, 2, 15, 16, 17, 65535, 65536, 0x12345678, 0xFFFFFFFF};

static void roots(void) {
    uint32_t got = 0, want = 0;
    for (unsigned i = 0; i < sizeof kRoots / sizeof kRoots[0]; ++i) {
        got = got * 131u + (rt_sqrt(kRoots[i]) & 0xFFFF);
        want = want * 131u + isqrt(kRoots[i]);
    }
    rt_check("SQRT", got, want);
}

/* On the axes the angle is exact: 0, a quarter, a half, three quarters. */
static void angles(void) {
    rt_check("ATAN2 0", rt_arctan2(0x100, 0) & 0xFFFF, 0x0000);
    rt_check("ATAN2 1", rt_arctan2(0, 0x100) & 0xFFFF, 0x4000);
    rt_check("ATAN2 2", rt_arctan2(-0x100, 0) & 0xFFFF, 0x8000);
    rt_check("ATAN2 3", rt_arctan2(0, -0x100) & 0xFFFF, 0xC000);
    rt_check("ATAN 0", (uint32_t)rt_arctan(0) & 0xFFFF, 0);
    /* Off the axes the BIOS's approximation decides: shown, compared with the reference's picture. */
    rt_note("ATAN2 A", rt_arctan2(0x100, 0x100) & 0xFFFF);
    rt_note("ATAN2 B", rt_arctan2(0x3000, 0x1000) & 0xFFFF);
    rt_note("ATAN 1", (uint32_t)rt_arctan(0x4000) & 0xFFFF);
}

__attribute__((section(".ewram_bss"))) static uint32_t source[64];
__attribute__((section(".ewram_bss"))) static uint32_t target[64];

static void fill_source(void) {
    for (int i = 0; i < 64; ++i) source[i] = 0x01010101u * (uint32_t)i + 0x9E3779B9u * (uint32_t)(i & 3);
    for (int i = 0; i < 64; ++i) target[i] = 0;
}

/* Whether target holds `n` words equal to `want` (each, when fill) and zeros after. */
static uint32_t copied(const uint32_t* want, int n, int fill) {
    for (int i = 0; i < 64; ++i)
        if (target[i] != (i < n ? want[fill ? 0 : i] : 0u)) return 0;
    return 1;
}

static void copies(void) {
    fill_source();
    rt_cpu_set(source, target, 20); /* 20 halfwords */
    rt_check("CPUSET16", copied(source, 10, 0), 1);
    fill_source();
    rt_cpu_set(source, target, (1u << 26) | 33); /* 33 words */
    rt_check("CPUSET32", copied(source, 33, 0), 1);
    fill_source();
    rt_cpu_set(&source[5], target, (1u << 26) | (1u << 24) | 7); /* fill 7 words */
    rt_check("CPUFILL", copied(&source[5], 7, 1), 1);
    fill_source();
    rt_cpu_fast_set(source, target, 16); /* 16 words, in blocks of eight */
    rt_check("FASTSET", copied(source, 16, 0), 1);
    fill_source();
    rt_cpu_fast_set(&source[9], target, (1u << 24) | 8);
    rt_check("FASTFIL", copied(&source[9], 8, 1), 1);
}

/* LZ77: "ABCD", a copy of 8 bytes from 4 back, "XYZ", then "W". */
static const uint8_t kLz77[] __attribute__((aligned(4))) = {0x10, 16,  0,   0,   0x08, 'A', 'B', 'C', 'D', 0x50,
                                                            0x03, 'X', 'Y', 'Z', 0x00, 'W', 0,   0,   0,   0};
static const char kLz77Text[] = "ABCDABCDABCDXYZW";
/* Run lengths: five 'Q', the three bytes "abc", four 'z'. */
static const uint8_t kRunLength[]
    __attribute__((aligned(4))) = {0x30, 12, 0, 0, 0x82, 'Q', 0x02, 'a', 'b', 'c', 0x81, 'z', 0, 0, 0, 0};
static const char kRunLengthText[] = "QQQQQabczzzz";
/* Differences of bytes and of halfwords. */
static const uint8_t kDiff8[]
    __attribute__((aligned(4))) = {0x81, 8, 0, 0, 0x10, 0x01, 0x01, 0xFE, 0x05, 0x00, 0x00, 0xF0};
static const uint8_t kDiff8Out[] = {0x10, 0x11, 0x12, 0x10, 0x15, 0x15, 0x15, 0x05};
static const uint16_t kDiff16[] __attribute__((aligned(4))) = {0x0882, 0x0000, 0x1000, 0x0001, 0xFFFF, 0x0100};
static const uint16_t kDiff16Out[] = {0x1000, 0x1001, 0x1000, 0x1100};
/* Bit unpacking: 1 bit to 4 bits, 2 added to the non-zero ones. */
static const uint8_t kBits[] __attribute__((aligned(4))) = {0xA5, 0x0F, 0, 0};
static const uint8_t kBitInfo[] __attribute__((aligned(4))) = {2, 0, 1, 4, 2, 0, 0, 0};

static uint32_t same_bytes(const void* got, const void* want, int n) {
    const volatile uint8_t* a = got;
    const uint8_t* b = want;
    for (int i = 0; i < n; ++i)
        if (a[i] != b[i]) return 0;
    return 1;
}

static void decompressors(void) {
    for (int i = 0; i < 64; ++i) target[i] = 0;
    rt_lz77_wram(kLz77, target);
    rt_check("LZ77", same_bytes(target, kLz77Text, 16), 1);
    rt_rl_wram(kRunLength, target);
    rt_check("RUNLEN", same_bytes(target, kRunLengthText, 12), 1);
    rt_diff8_wram(kDiff8, target);
    rt_check("DIFF8", same_bytes(target, kDiff8Out, 8), 1);
    rt_diff16(kDiff16, target);
    rt_check("DIFF16", same_bytes(target, kDiff16Out, 8), 1);
    target[0] = target[1] = 0;
    rt_bit_unpack(kBits, target, kBitInfo);
    rt_check("UNPACK0", target[0], 0x30300303);
    rt_check("UNPACK1", target[1], 0x00003333);
}

int main(void) {
    rt_begin("BIOS CALLS");
    divisions();
    roots();
    angles();
    copies();
    decompressors();
    rt_note("CHECKSUM", rt_bios_checksum());
    rt_end();
    rt_idle();
}
