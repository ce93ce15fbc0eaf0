/* Per-line effects: H-blank DMA writes BG0's horizontal scroll, BG2's
   reference point X (reloading the internal point mid-frame) and window 0's
   edges line by line; a VCOUNT interrupt at line 80 changes the layers,
   the backdrop and the mosaic, and one at line 120 turns brightening on.
   A held stops the scroll DMA. */
#include "video_common.h"

enum { PHASES = 6 };

static uint16_t scroll[161];
static uint32_t ref_x[161];
static uint16_t win_edges[161];
static volatile uint32_t current_phase;

static void fill_tables(uint32_t phase) {
    for (uint32_t y = 0; y < 161; ++y) {
        int32_t wave = vid_sin(y * (phase + 1)) * (int32_t)(4 + phase * 3) / 256;
        scroll[y] = (uint16_t)(wave + (int32_t)(phase * 9));
        ref_x[y] = (uint32_t)((wave * 3 + (int32_t)y) << 8);
        uint32_t half = (uint32_t)(vid_cos(y / 5 + phase) + 256) * 50 / 512;
        win_edges[y] = (uint16_t)(((120 - half) << 8) | (120 + half));
    }
}

static void vcount(void) {
    uint32_t line = REG_VCOUNT;
    if (line == 80) {
        uint32_t phase = current_phase;
        /* BG0 off; BG1 on (shown after the hardware's delay) in odd phases */
        REG_DISPCNT = (uint16_t)((REG_DISPCNT & ~0x0100u) | ((phase & 1) ? 0x0200u : 0));
        PAL_BG[0] = RGB(4, 8, 16);
        REG_MOSAIC = (uint16_t)(0x0011 * (phase + 1));
        REG_DISPSTAT = (uint16_t)((REG_DISPSTAT & 0xFF) | (120 << 8));
    } else {
        REG_BLDCNT = 0x0084;
        REG_BLDY = 6;
        REG_DISPSTAT = (uint16_t)((REG_DISPSTAT & 0xFF) | (80 << 8));
    }
}

static void start_dma(int n, const void* src, volatile void* dst, uint16_t control) {
    REG_DMACNT_H(n) = 0;
    REG_DMASAD(n) = (uint32_t)src;
    REG_DMADAD(n) = (uint32_t)dst;
    REG_DMACNT_L(n) = 1;
    REG_DMACNT_H(n) = (uint16_t)(DMA_ENABLE | DMA_AT_HBLANK | DMA_REPEAT | DMA_DST_RELOAD | control);
}

static void step(uint32_t phase, uint32_t keys) {
    if (phase != current_phase) fill_tables(phase);
    current_phase = phase;
    rt_irq_set(2, vcount);
    REG_DISPSTAT = STAT_VBLANK_IRQ | STAT_VCOUNT_IRQ | (80 << 8);
    REG_IE = IRQ_VBLANK | IRQ_VCOUNT;
    REG_BLDCNT = 0;
    PAL_BG[0] = RGB(20, 4, 4);
    REG_MOSAIC = 0;
    REG_BGCNT(0) = (uint16_t)(1 | (28 << 8) | 0x40);
    REG_BGCNT(1) = (uint16_t)(2 | (29 << 8));
    REG_BGCNT(2) = (uint16_t)(0 | (1 << 2) | (16 << 8) | 0x2000 | 0x4000 | 0x40);
    REG_BGPA(2) = 0x0100;
    REG_BGPB(2) = 0;
    REG_BGPC(2) = 0x0020;
    REG_BGPD(2) = 0x0100;
    REG_BGY(2) = 0;
    REG_WINH(0) = win_edges[0];
    REG_WINV(0) = 0x00A0;
    REG_WININ = 0x3F;
    REG_WINOUT = 0x3B;
    /* line 0 gets the first entries now; the DMAs give the following lines theirs */
    REG_BGHOFS(0) = scroll[0];
    REG_BGX(2) = ref_x[0];
    if (!(keys & 1)) start_dma(0, &scroll[1], &REG_BGHOFS(0), 0);
    else REG_DMACNT_H(0) = 0;
    start_dma(1, &ref_x[1], &REG_BGX(2), DMA_32);
    if (phase >= 2) start_dma(2, &win_edges[1], &REG_WINH(0), 0);
    else REG_DMACNT_H(2) = 0;
    REG_DISPCNT = (uint16_t)(0x0501 | (phase >= 2 ? 0x2000 : 0) | ((phase & 1) ? 0 : 0x0200));
}

int main(void) {
    REG_DISPCNT = 0x0080;
    vid_palettes(0x4242);
    vid_tiles4(0x0000, 256, 11);
    vid_tiles8(0x4000, 256, 12);
    vid_text_map(28 * 0x800, 1024, 256, 13);
    vid_text_map(29 * 0x800, 1024, 256, 14);
    vid_affine_map(16 * 0x800, 0x1000, 256, 15);
    vid_hide_sprites();
    current_phase = 99;
    vid_loop(PHASES, 0, step);
}
