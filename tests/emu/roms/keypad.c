/* The keypad under the host's key schedule (keypad_schedule below, the same
   in the host test): KEYINPUT sampled once a frame after VBlank, and the
   keypad interrupt in OR mode (A) and in AND mode (L and R). The keys are
   polled all the time. The ROM counts frames from when its interrupts are
   set up, a few frames after power-on depending on how fast the screen was
   cleared, so the checks are on the steps between the changes, which are
   exact, and on the interrupts coming in the frame of their change.
   Schedule: A from frame 10 to 19, L from 30, L+R from 40, none from 50. */
#include "rt.h"

#define KEY_A 0x001
#define KEY_R 0x100
#define KEY_L 0x200

static volatile uint32_t frame;
static volatile uint32_t or_frame, and_frame;

static void on_vblank(void) { frame = frame + 1; }

/* Each fires once: its condition is then taken out of KEYCNT. */
static void on_keypad(void) {
    uint16_t control = REG_KEYCNT;
    if (control & 0x8000) {
        and_frame = frame;
        REG_KEYCNT = 0x4000 | KEY_A;
    } else {
        or_frame = frame;
        REG_KEYCNT = 0xC000 | KEY_L | KEY_R;
    }
}

struct change {
    uint32_t frame;
    uint32_t keys;
};

int main(void) {
    rt_begin("KEYPAD");
    rt_irq_init();
    rt_irq_set(0, on_vblank);
    rt_irq_set(12, on_keypad);
    REG_DISPSTAT = STAT_VBLANK_IRQ;
    REG_KEYCNT = 0x4000 | KEY_A; /* interrupt on A */
    REG_IE = IRQ_VBLANK | IRQ_KEYPAD;
    REG_IME = 1;

    struct change changes[8];
    int count = 0;
    uint32_t last = 0x3FF;
    while (frame < 56) {
        uint32_t keys = REG_KEYINPUT & 0x3FF;
        if (keys != last && count < 8) {
            changes[count].frame = frame;
            changes[count].keys = keys;
            ++count;
        }
        last = keys;
        rt_hex(50, 0, keys, 3, WHITE);
    }
    static const uint32_t kKeys[5] = {0x3FE, 0x3FF, 0x1FF, 0x0FF, 0x3FF};
    rt_check("CHANGES", (uint32_t)count, 5);
    rt_verdict.reserved[0] = changes[0].frame; /* not drawn: it depends on the start-up's speed */
    for (int i = 0; i < 5; ++i) {
        char name[8] = {'K', 'E', 'Y', 'S', ' ', (char)('1' + i), 0, 0};
        rt_check(name, changes[i].keys, kKeys[i]);
        if (i == 0) continue;
        name[0] = 'S', name[1] = 'T', name[2] = 'E', name[3] = 'P';
        rt_check(name, changes[i].frame - changes[i - 1].frame, 10);
    }
    rt_check("OR IRQ", or_frame - changes[0].frame, 0);
    rt_check("AND IRQ", and_frame - changes[3].frame, 0);
    rt_end();
    rt_idle();
}
