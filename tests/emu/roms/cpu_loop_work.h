/* The work of the processor benchmark, compiled twice: as ARM code in IWRAM
   (cpu_loop_arm.c) and as Thumb code in ROM (cpu_loop.c). WORK_NAME and
   WORK_PLACE name and place the function. Fills `data` with a xorshift
   sequence from `seed`, sorts it by insertion and folds it into a checksum;
   returns 0 when the result is not in order. */
#include <stdint.h>

#define WORK_COUNT 192

WORK_PLACE uint32_t WORK_NAME(uint32_t* data, uint32_t seed) {
    uint32_t x = seed | 1u;
    for (int i = 0; i < WORK_COUNT; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data[i] = x;
    }
    for (int i = 1; i < WORK_COUNT; ++i) {
        uint32_t value = data[i];
        int j = i - 1;
        while (j >= 0 && data[j] > value) {
            data[j + 1] = data[j];
            --j;
        }
        data[j + 1] = value;
    }
    uint32_t sum = 0;
    for (int i = 0; i < WORK_COUNT; ++i) {
        if (i > 0 && data[i - 1] > data[i]) return 0;
        sum = ((sum << 5) | (sum >> 27)) ^ (data[i] + (uint32_t)i);
    }
    return sum;
}
