/* The test ROMs' small runtime: the registers they use, text and numbers in
   mode 3, the IRQ dispatcher, the BIOS calls and the verdict block that the
   host tests read back from EWRAM. */
#ifndef RT_H
#define RT_H

#include <stdint.h>

#define REG8(a) (*(volatile uint8_t*)(a))
#define REG16(a) (*(volatile uint16_t*)(a))
#define REG32(a) (*(volatile uint32_t*)(a))

#define REG_DISPCNT REG16(0x04000000)
#define REG_DISPSTAT REG16(0x04000004)
#define REG_VCOUNT REG16(0x04000006)
#define REG_TMCNT_L(n) REG16(0x04000100 + 4 * (n))
#define REG_TMCNT_H(n) REG16(0x04000102 + 4 * (n))
#define REG_DMASAD(n) REG32(0x040000B0 + 12 * (n))
#define REG_DMADAD(n) REG32(0x040000B4 + 12 * (n))
#define REG_DMACNT_L(n) REG16(0x040000B8 + 12 * (n))
#define REG_DMACNT_H(n) REG16(0x040000BA + 12 * (n))
#define REG_KEYINPUT REG16(0x04000130)
#define REG_KEYCNT REG16(0x04000132)
#define REG_IE REG16(0x04000200)
#define REG_IF REG16(0x04000202)
#define REG_WAITCNT REG16(0x04000204)
#define REG_IME REG16(0x04000208)
#define REG_HALTCNT REG8(0x04000301)
#define BIOS_IF REG16(0x03007FF8) /* the flags IntrWait waits on */
#define IRQ_VECTOR REG32(0x03007FFC)

#define VRAM ((volatile uint16_t*)0x06000000)

/* DISPSTAT */
#define STAT_VBLANK_IRQ 0x0008
#define STAT_HBLANK_IRQ 0x0010
#define STAT_VCOUNT_IRQ 0x0020

/* Interrupt bits of IE / IF. */
enum {
    IRQ_VBLANK = 1 << 0,
    IRQ_HBLANK = 1 << 1,
    IRQ_VCOUNT = 1 << 2,
    IRQ_TIMER0 = 1 << 3,
    IRQ_TIMER1 = 1 << 4,
    IRQ_TIMER2 = 1 << 5,
    IRQ_TIMER3 = 1 << 6,
    IRQ_SERIAL = 1 << 7,
    IRQ_DMA0 = 1 << 8,
    IRQ_DMA1 = 1 << 9,
    IRQ_DMA2 = 1 << 10,
    IRQ_DMA3 = 1 << 11,
    IRQ_KEYPAD = 1 << 12,
};

/* Timer control. */
#define TM_PRESCALE_1 0
#define TM_PRESCALE_64 1
#define TM_PRESCALE_256 2
#define TM_PRESCALE_1024 3
#define TM_CASCADE 0x0004
#define TM_IRQ 0x0040
#define TM_ENABLE 0x0080

/* DMA control (the high half). */
#define DMA_DST_INC 0x0000
#define DMA_DST_DEC 0x0020
#define DMA_DST_FIXED 0x0040
#define DMA_DST_RELOAD 0x0060
#define DMA_SRC_INC 0x0000
#define DMA_SRC_DEC 0x0080
#define DMA_SRC_FIXED 0x0100
#define DMA_REPEAT 0x0200
#define DMA_32 0x0400
#define DMA_NOW 0x0000
#define DMA_AT_VBLANK 0x1000
#define DMA_AT_HBLANK 0x2000
#define DMA_IRQ 0x4000
#define DMA_ENABLE 0x8000

/* Colours, 15-bit. */
#define RGB(r, g, b) ((uint16_t)((r) | ((g) << 5) | ((b) << 10)))
#define WHITE RGB(31, 31, 31)
#define GREEN RGB(8, 31, 8)
#define RED RGB(31, 6, 6)
#define GREY RGB(20, 20, 20)

/* --- text (mode 3, a 3x5 font in 4x6 cells: 60 columns, 26 rows) -------- */
#define RT_COLUMNS 60
#define RT_ROWS 26
void rt_screen_init(void); /* mode 3, background 2 on, cleared to black */
void rt_text(int column, int row, const char* text, uint16_t colour);
void rt_hex(int column, int row, uint32_t value, int digits, uint16_t colour);
void rt_dec(int column, int row, uint32_t value, uint16_t colour);

/* --- the verdict --------------------------------------------------------
   Every check is one line on the screen ("NAME got want" in green or red)
   and one entry of the block at 0x02000000, which the host reads. */
#define RT_VERDICT_MAGIC 0x5453544Bu /* "KTST" */
#define RT_RUNNING 0u
#define RT_PASSED 1u
#define RT_FAILED 2u
#define RT_MAX_CHECKS 48
struct rt_check_entry {
    uint32_t got;
    uint32_t want;
    char name[8];
};
struct rt_verdict_block {
    uint32_t magic;
    uint32_t state;        /* RT_RUNNING, RT_PASSED or RT_FAILED */
    uint32_t checks;       /* checks made */
    uint32_t failed;       /* checks whose value differed */
    uint32_t first_failed; /* 1-based index of the first failing check, 0 if none */
    uint32_t reserved[3];
    struct rt_check_entry entry[RT_MAX_CHECKS];
};
extern volatile struct rt_verdict_block rt_verdict;

void rt_begin(const char* title); /* screen, verdict block, title line */
/* Records and draws one check; returns non-zero when got == want. */
int rt_check(const char* name, uint32_t got, uint32_t want);
/* Draws a line of information that is not a check. */
void rt_note(const char* name, uint32_t value);
/* Writes the final state and the summary line; returns the state. */
uint32_t rt_end(void);
/* Waits forever (in VBlankIntrWait when interrupts are set up). */
void rt_idle(void) __attribute__((noreturn));

/* --- interrupts ---------------------------------------------------------
   rt_irq_init() points 0x03007FFC at a dispatcher in IWRAM (ARM code) that
   acknowledges IF, sets the BIOS's flags at 0x03007FF8, counts each
   interrupt and calls its handler (in IRQ mode, interrupts off). */
typedef void (*rt_irq_handler)(void);
extern volatile uint32_t rt_irq_count[14];
void rt_irq_init(void);
void rt_irq_set(int bit, rt_irq_handler handler);

/* --- BIOS calls (swi numbers as the BIOS documents them) --------------- */
struct rt_divmod {
    int32_t quotient;
    int32_t remainder;
    uint32_t abs_quotient;
};
void rt_halt(void);                                                 /* swi 0x02 */
void rt_intr_wait(uint32_t discard_old, uint32_t flags);            /* swi 0x04 */
void rt_vblank_intr_wait(void);                                     /* swi 0x05 */
struct rt_divmod rt_div(int32_t n, int32_t d);                      /* swi 0x06 */
struct rt_divmod rt_div_arm(int32_t d, int32_t n);                  /* swi 0x07 */
uint32_t rt_sqrt(uint32_t x);                                       /* swi 0x08 */
int32_t rt_arctan(int32_t tan);                                     /* swi 0x09 */
uint32_t rt_arctan2(int32_t x, int32_t y);                          /* swi 0x0A */
void rt_cpu_set(const void* src, void* dst, uint32_t control);      /* swi 0x0B */
void rt_cpu_fast_set(const void* src, void* dst, uint32_t control); /* swi 0x0C */
void rt_bit_unpack(const void* src, void* dst, const void* info);   /* swi 0x10 */
void rt_lz77_wram(const void* src, void* dst);                      /* swi 0x11 */
void rt_huffman(const void* src, void* dst);                        /* swi 0x13 */
void rt_rl_wram(const void* src, void* dst);                        /* swi 0x14 */
void rt_diff8_wram(const void* src, void* dst);                     /* swi 0x16 */
void rt_diff16(const void* src, void* dst);                         /* swi 0x18 */
uint32_t rt_bios_checksum(void);                                    /* swi 0x0D */

/* Cycles of ROM code and its wait states vary; these wait on the display. */
void rt_wait_vblank_start(void); /* polls VCOUNT until line 160 begins */

#endif
