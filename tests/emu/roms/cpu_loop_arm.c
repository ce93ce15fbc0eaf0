#define WORK_NAME cpu_work_arm
#define WORK_PLACE __attribute__((section(".iwram.cpu_work"), noinline))
#include "cpu_loop_work.h"
