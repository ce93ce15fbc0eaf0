/* The smallest useful ROM: the runtime's start, text and verdict, and a call
   from Thumb code into ARM code in IWRAM. Its checks are known answers. */
#include "rt.h"

__attribute__((section(".iwram"), target("arm"), noinline)) static uint32_t mix_arm(uint32_t a, uint32_t b) {
    return (a << 3) ^ (b * 5u);
}

static uint32_t initialised = 0x1234ABCD;
static uint32_t zeroed;

int main(void) {
    rt_begin("SMOKE");
    uint32_t (*volatile arm_code)(uint32_t, uint32_t) = mix_arm;
    rt_check("ARMCALL", arm_code(0x11, 0x22), (0x11u << 3) ^ (0x22u * 5u));
    rt_check("DATA", initialised, 0x1234ABCD);
    rt_check("BSS", zeroed, 0);
    rt_check("KEYS", REG_KEYINPUT & 0x3FF, 0x3FF);
    rt_end();
    rt_idle();
}
