/* A processor benchmark: the same sort-and-checksum work as ARM code in IWRAM
   and as Thumb code in ROM, round after round, for as long as it runs. The
   screen shows the checks of the first rounds; the number of rounds done
   goes to the verdict block's first spare word (0x02000014), for the host's
   benchmark to read. */
#include "rt.h"

#define WORK_NAME cpu_work_thumb
#define WORK_PLACE static __attribute__((noinline))
#include "cpu_loop_work.h"

uint32_t cpu_work_arm(uint32_t* data, uint32_t seed);

__attribute__((section(".ewram_bss"))) static uint32_t data_thumb[WORK_COUNT];
static uint32_t data_arm[WORK_COUNT]; /* IWRAM */

int main(void) {
    rt_begin("CPU LOOP");
    /* Through a pointer: a BX into ARM code. */
    uint32_t (*volatile arm)(uint32_t*, uint32_t) = cpu_work_arm;
    uint32_t thumb_sum = cpu_work_thumb(data_thumb, 1);
    uint32_t arm_sum = arm(data_arm, 1);
    rt_check("SORTED", thumb_sum != 0, 1);
    rt_check("SAME", arm_sum, thumb_sum);
    uint32_t other = cpu_work_thumb(data_thumb, 2);
    rt_check("SEED", other != thumb_sum && other != 0, 1);
    rt_note("SUM", thumb_sum);
    rt_end();
    uint32_t rounds = 0, wrong = 0;
    for (uint32_t seed = 3;; ++seed) {
        wrong += arm(data_arm, seed) != cpu_work_thumb(data_thumb, seed);
        rt_verdict.reserved[0] = ++rounds;
        rt_verdict.reserved[1] = wrong;
    }
}
