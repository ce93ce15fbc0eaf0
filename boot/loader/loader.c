/* The boot loader. The console's start-up code copies it to 0x81200000,
   calls loader_entry for the addresses of its three functions, then init
   once, main until it returns 0 (performing each disc read main asks for),
   and close, whose result is the program's entry point. */
#include <stdint.h>

#include "../common/dol_loader.h"
#include "../hw/hw.h"

#define FST_ADDRESS_WORD 0x80000038u
#define FST_SIZE_WORD 0x8000003Cu

typedef void (*report_fn)(const char* format, ...);
typedef void (*init_fn)(report_fn report);
typedef int (*main_fn)(uint32_t* address, uint32_t* length, uint32_t* offset);
typedef uint32_t (*close_fn)(void);

static bt_loader loader;
static uint8_t scratch[BT_DOL_HEADER_SIZE] __attribute__((aligned(32)));
static report_fn report;
static int started;

static void loader_init(report_fn r) {
    report = r;
    bt_loader_init(&loader, (uint32_t)scratch);
    started = 1;
}

static int loader_main(uint32_t* address, uint32_t* length, uint32_t* offset) {
    bt_disc_read next;
    int more;
    if (!started) loader_init(0);
    /* The previous read landed by DMA: drop stale cache lines first. */
    hw_dcache_invalidate(scratch, sizeof scratch);
    more = bt_loader_next(&loader, scratch, &next);
    *address = next.address;
    *length = next.length;
    *offset = next.offset;
    return more;
}

/* A program whose header was refused is not started: the loader shows one
   plain colour over the whole picture, through the video interface, and
   stays there. */
static void show_error_screen(void) {
    uint32_t* framebuffer = (uint32_t*)BT_ERROR_FRAMEBUFFER;
    uint32_t k;
    for (k = 0; k < BT_ERROR_FRAMEBUFFER_WORDS; ++k) framebuffer[k] = BT_ERROR_SCREEN_WORD;
    hw_dcache_flush(framebuffer, BT_ERROR_FRAMEBUFFER_WORDS * 4u);
    hw_vi_init(framebuffer);
    for (;;) {}
}

static uint32_t loader_close(void) {
    bt_close_plan plan;
    uint32_t k;
    bt_loader_close_plan(&loader, &plan);
    if (!plan.start) show_error_screen();
    for (k = 0; k < plan.section_count; ++k) {
        hw_dcache_invalidate((const void*)plan.sections[k].address, plan.sections[k].length);
        hw_icache_invalidate((const void*)plan.sections[k].address, plan.sections[k].length);
    }
    if (plan.bss.length != 0) {
        uint8_t* bss = (uint8_t*)plan.bss.address;
        for (k = 0; k < plan.bss.length; ++k) bss[k] = 0;
        hw_dcache_flush(bss, plan.bss.length);
    }
    HW_REG32(FST_ADDRESS_WORD) = loader.fst_size != 0 ? loader.fst_address : 0;
    HW_REG32(FST_SIZE_WORD) = loader.fst_size;
    hw_dcache_flush((const void*)FST_ADDRESS_WORD, 8);
    return plan.entry;
}

/* Placed at the header's entry point by the linker script. */
__attribute__((section(".entry"), used)) void loader_entry(init_fn* init, main_fn* main_function, close_fn* close) {
    *init = loader_init;
    *main_function = loader_main;
    *close = loader_close;
}
