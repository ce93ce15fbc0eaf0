/* What the video test ROMs share: the display registers, deterministic tiles,
   maps and palettes, and a frame loop that changes the picture in phases of
   32 frames. Within a phase the picture depends only on the phase and the
   keys held, so that a frame compared inside a phase does not depend on the
   exact frame the set-up finished in. */
#ifndef VIDEO_COMMON_H
#define VIDEO_COMMON_H

#include "rt.h"

#define REG_GREENSWAP REG16(0x04000002)
#define REG_BGCNT(n) REG16(0x04000008 + 2 * (n))
#define REG_BGHOFS(n) REG16(0x04000010 + 4 * (n))
#define REG_BGVOFS(n) REG16(0x04000012 + 4 * (n))
#define REG_BGPA(n) REG16(0x04000020 + 0x10 * ((n)-2))
#define REG_BGPB(n) REG16(0x04000022 + 0x10 * ((n)-2))
#define REG_BGPC(n) REG16(0x04000024 + 0x10 * ((n)-2))
#define REG_BGPD(n) REG16(0x04000026 + 0x10 * ((n)-2))
#define REG_BGX(n) REG32(0x04000028 + 0x10 * ((n)-2))
#define REG_BGY(n) REG32(0x0400002C + 0x10 * ((n)-2))
#define REG_WINH(n) REG16(0x04000040 + 2 * (n))
#define REG_WINV(n) REG16(0x04000044 + 2 * (n))
#define REG_WININ REG16(0x04000048)
#define REG_WINOUT REG16(0x0400004A)
#define REG_MOSAIC REG16(0x0400004C)
#define REG_BLDCNT REG16(0x04000050)
#define REG_BLDALPHA REG16(0x04000052)
#define REG_BLDY REG16(0x04000054)

#define PAL_BG ((volatile uint16_t*)0x05000000)
#define PAL_OBJ ((volatile uint16_t*)0x05000200)
#define OAM ((volatile uint16_t*)0x07000000)
#define VRAM32 ((volatile uint32_t*)0x06000000)

#define PHASE_FRAMES 32

static inline uint32_t vid_next(uint32_t* seed) {
    uint32_t x = *seed;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *seed = x;
    return x;
}

/* The keys held (set bit = pressed). */
static inline uint32_t vid_keys(void) { return ~REG_KEYINPUT & 0x3FFu; }

static inline void vid_fill32(volatile uint32_t* p, uint32_t value, uint32_t words) {
    for (uint32_t i = 0; i < words; ++i) p[i] = value;
}

/* 256 BG and 256 OBJ colours, each palette bank with its own hue. */
static inline void vid_palettes(uint32_t seed) {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = vid_next(&seed);
        PAL_BG[i] = (uint16_t)(r & 0x7FFF);
        PAL_OBJ[i] = (uint16_t)((r >> 15) & 0x7FFF);
    }
}

/* 4 bpp tiles at a VRAM byte offset: a border of colour 1, a diagonal of
   colour 2, the tile's number in the rest and a transparent corner. */
static inline void vid_tiles4(uint32_t offset, uint32_t count, uint32_t first) {
    volatile uint32_t* p = VRAM32 + offset / 4;
    for (uint32_t t = 0; t < count; ++t) {
        uint32_t n = t + first;
        for (uint32_t y = 0; y < 8; ++y) {
            uint32_t row = 0;
            for (uint32_t x = 0; x < 8; ++x) {
                uint32_t c;
                if (x + y < 3) c = 0;
                else if (x == 0 || y == 0) c = 1;
                else if (x == y) c = 2;
                else c = 3 + ((n + x * (y + 1)) & 7) + (n & 4);
                row |= c << (x * 4);
            }
            p[t * 8 + y] = row;
        }
    }
}

/* 8 bpp tiles: the same idea with the whole palette. */
static inline void vid_tiles8(uint32_t offset, uint32_t count, uint32_t first) {
    volatile uint32_t* p = VRAM32 + offset / 4;
    for (uint32_t t = 0; t < count; ++t) {
        uint32_t n = t + first;
        for (uint32_t y = 0; y < 8; ++y) {
            for (uint32_t half = 0; half < 2; ++half) {
                uint32_t word = 0;
                for (uint32_t i = 0; i < 4; ++i) {
                    uint32_t x = half * 4 + i;
                    uint32_t c;
                    if (x + y < 2) c = 0;
                    else if (x == 7 || y == 7) c = 1 + (n & 7);
                    else c = 16 + ((n * 7 + x * 3 + y * 29) & 0xDF);
                    word |= c << (i * 8);
                }
                p[t * 16 + y * 2 + half] = word;
            }
        }
    }
}

/* A text map of entries (32x32 per screen block) at a VRAM byte offset:
   tiles below tiles (a power of two), flips and palette banks from the seed; tile 0 (mostly
   transparent) now and then. */
static inline void vid_text_map(uint32_t offset, uint32_t entries, uint32_t tiles, uint32_t seed) {
    volatile uint16_t* p = VRAM + offset / 2;
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t r = vid_next(&seed);
        uint32_t tile = (r & 7) == 0 ? 0 : (i + (r >> 8)) & (tiles - 1);
        p[i] = (uint16_t)(tile | (r & 0xFC00));
    }
}

/* An affine map of bytes (written as pairs). */
static inline void vid_affine_map(uint32_t offset, uint32_t bytes, uint32_t tiles, uint32_t seed) {
    volatile uint16_t* p = VRAM + offset / 2;
    for (uint32_t i = 0; i < bytes / 2; ++i) {
        uint32_t r = vid_next(&seed);
        uint32_t a = (r & 7) == 0 ? 0 : (i * 2 + (r >> 8)) & (tiles - 1);
        uint32_t b = (r & 15) == 1 ? 0 : (i * 2 + 1 + (r >> 16)) & (tiles - 1);
        p[i] = (uint16_t)(a | b << 8);
    }
}

/* Four text layers of 256x256 with their own maps at screen blocks 28-31,
   BG1 in 8 bpp, the others in 4 bpp, at the given priorities. */
static inline void vid_four_text_layers(uint32_t seed, const uint8_t priority[4]) {
    vid_tiles4(0x0000, 256, seed);
    vid_tiles8(0x4000, 256, seed + 1);
    for (uint32_t n = 0; n < 4; ++n) {
        vid_text_map((28 + n) * 0x800, 1024, 256, seed * 16 + n);
        REG_BGCNT(n) = (uint16_t)(priority[n] | ((28 + n) << 8) | (n == 1 ? (1 << 2) | 0x80 : 0));
    }
}

/* Every sprite off (the "disabled" bit). */
static inline void vid_hide_sprites(void) {
    for (uint32_t i = 0; i < 128; ++i) {
        OAM[i * 4] = 0x0200;
        OAM[i * 4 + 1] = 0;
        OAM[i * 4 + 2] = 0;
    }
}

static inline void vid_sprite(uint32_t n, uint32_t a0, uint32_t a1, uint32_t a2) {
    OAM[n * 4] = (uint16_t)a0;
    OAM[n * 4 + 1] = (uint16_t)a1;
    OAM[n * 4 + 2] = (uint16_t)a2;
}

/* Affine parameter group g of OAM. */
static inline void vid_sprite_affine(uint32_t g, int32_t pa, int32_t pb, int32_t pc, int32_t pd) {
    OAM[g * 16 + 3] = (uint16_t)pa;
    OAM[g * 16 + 7] = (uint16_t)pb;
    OAM[g * 16 + 11] = (uint16_t)pc;
    OAM[g * 16 + 15] = (uint16_t)pd;
}

/* sin and cos in 1/256 for an angle in 1/64 of a turn. */
static const int16_t vid_sine_table[17] = {0,   25,  50,  74,  98,  121, 142, 162, 181,
                                           198, 213, 226, 237, 245, 251, 255, 256};
static inline int32_t vid_sin(uint32_t a) {
    a &= 63;
    int32_t s = a < 16   ? vid_sine_table[a]
                : a < 32 ? vid_sine_table[32 - a]
                : a < 48 ? -vid_sine_table[a - 32]
                         : -vid_sine_table[64 - a];
    return s;
}
static inline int32_t vid_cos(uint32_t a) { return vid_sin(a + 16); }

/* The frame number is the count of vertical blanking interrupts, so that a
   long drawing step does not shift the phases. */
static inline void vid_start_frames(void) {
    rt_irq_init();
    REG_DISPSTAT = STAT_VBLANK_IRQ;
    REG_IE = IRQ_VBLANK;
    REG_IME = 1;
}

/* Waits for the next vertical blanking and returns the frame number. */
static inline uint32_t vid_wait_frame(void) {
    uint32_t seen = rt_irq_count[0];
    while (rt_irq_count[0] == seen) {}
    return rt_irq_count[0];
}

/* Runs step(phase, keys) once per frame, in vertical blanking. The phase
   stops at phases - 1 (when phases is not 0); enter(phase), when given, runs
   first whenever the phase changes. */
__attribute__((noreturn)) static inline void vid_loop(uint32_t phases, void (*enter)(uint32_t phase),
                                                      void (*step)(uint32_t phase, uint32_t keys)) {
    uint32_t last_phase = 0;
    vid_start_frames();
    for (;;) {
        uint32_t phase = vid_wait_frame() / PHASE_FRAMES;
        if (phases != 0 && phase >= phases) phase = phases - 1;
        if (enter != 0 && phase != last_phase) enter(phase);
        last_phase = phase;
        step(phase, vid_keys());
    }
}

#endif
