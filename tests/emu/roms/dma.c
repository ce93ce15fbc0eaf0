/* DMA: immediate transfers with each address mode and width, transfers at
   VBlank and at HBlank, repeat, and the end-of-transfer interrupt. */
#include "rt.h"

__attribute__((section(".ewram_bss"))) static uint32_t source[32];
__attribute__((section(".ewram_bss"))) static uint32_t target[32];
__attribute__((section(".ewram_bss"))) static uint16_t ramp[256];

static void prepare(void) {
    for (int i = 0; i < 32; ++i) {
        source[i] = 0x11111111u * (uint32_t)(i & 15) + (uint32_t)i;
        target[i] = 0;
    }
}

static void start(int channel, const volatile void* from, volatile void* to, uint16_t count, uint16_t control) {
    REG_DMACNT_H(channel) = 0;
    REG_DMASAD(channel) = (uint32_t)from;
    REG_DMADAD(channel) = (uint32_t)to;
    REG_DMACNT_L(channel) = count;
    REG_DMACNT_H(channel) = (uint16_t)(control | DMA_ENABLE);
}

/* Whether target[i] == want(i) for all 32 words. */
static uint32_t matches(uint32_t (*want)(int)) {
    for (int i = 0; i < 32; ++i)
        if (target[i] != want(i)) return 0;
    return 1;
}
static uint32_t first8(int i) { return i < 8 ? source[i] : 0; }
static uint32_t reversed8(int i) { return i < 8 ? source[7 - i] : 0; }
static uint32_t last_at0(int i) { return i == 0 ? source[7] : 0; }
static uint32_t fill8(int i) { return i < 8 ? source[3] : 0; }
static uint32_t halves(int i) { return i < 4 ? source[i] : i == 4 ? (source[4] & 0xFFFF) : 0; }

struct immediate_case {
    const char* name;
    int from; /* index into source */
    uint16_t count;
    uint16_t control;
    uint32_t (*want)(int);
};

static const struct immediate_case kImmediate[] = {
    {"INC32", 0, 8, DMA_32, first8},
    {"SRCDEC", 7, 8, DMA_32 | DMA_SRC_DEC, reversed8},
    {"DSTFIX", 0, 8, DMA_32 | DMA_DST_FIXED, last_at0},
    {"SRCFIX", 3, 8, DMA_32 | DMA_SRC_FIXED, fill8},
    {"INC16", 0, 9, DMA_NOW, halves}, /* nine halfwords */
};

static void immediate(void) {
    for (unsigned i = 0; i < sizeof kImmediate / sizeof kImmediate[0]; ++i) {
        const struct immediate_case* c = &kImmediate[i];
        prepare();
        start(3, &source[c->from], target, c->count, c->control);
        rt_check(c->name, matches(c->want), 1);
    }
    rt_check("ENABLED", REG_DMACNT_H(3) & DMA_ENABLE, 0);
}

/* A VBlank transfer waits for VBlank; with repeat it runs at every VBlank,
   its source going on and its destination reloaded. */
static void at_vblank(void) {
    prepare();
    rt_wait_vblank_start();
    while (REG_VCOUNT != 40) {}
    start(0, source, target, 1, DMA_32 | DMA_AT_VBLANK | DMA_REPEAT | DMA_DST_RELOAD);
    uint32_t before = target[0];
    rt_wait_vblank_start();
    uint32_t first = target[0];
    rt_wait_vblank_start();
    rt_wait_vblank_start();
    uint32_t third = target[0];
    REG_DMACNT_H(0) = 0;
    rt_check("VBL WAIT", before, 0);
    rt_check("VBL 1", first, source[0]);
    rt_check("VBL 3", third, source[2]);
}

/* An HBlank transfer of one halfword per line: from the start of one VBlank
   to the next, the 160 visible lines move ramp[0..159]. */
static void at_hblank(void) {
    for (int i = 0; i < 256; ++i) ramp[i] = (uint16_t)i;
    target[0] = 0xFFFF;
    rt_wait_vblank_start();
    start(0, ramp, target, 1, DMA_AT_HBLANK | DMA_REPEAT | DMA_DST_FIXED);
    rt_wait_vblank_start();
    uint32_t last = target[0] & 0xFFFF;
    REG_DMACNT_H(0) = 0;
    rt_check("HBL LAST", last, 159);
}

static void interrupt(void) {
    rt_irq_init();
    REG_IE = IRQ_DMA3;
    REG_IME = 1;
    prepare();
    start(3, source, target, 4, DMA_32 | DMA_IRQ);
    /* The interrupt comes a few cycles after the transfer's end. */
    for (int wait = 0; wait < 100 && rt_irq_count[11] == 0; ++wait) {}
    uint32_t count = rt_irq_count[11];
    REG_IME = 0;
    rt_check("DMA IRQ", count, 1);
}

int main(void) {
    rt_begin("DMA");
    immediate();
    at_vblank();
    at_hblank();
    interrupt();
    rt_end();
    rt_idle();
}
