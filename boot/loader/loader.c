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

static uint32_t loader_close(void) {
    uint32_t k;
    uint8_t* bss = (uint8_t*)loader.bss_address;
    for (k = 0; k < BT_DOL_SECTIONS; ++k) {
        const uint32_t address = (uint32_t)loader.dol_header[0x48 + 4 * k] << 24 |
                                 (uint32_t)loader.dol_header[0x49 + 4 * k] << 16 |
                                 (uint32_t)loader.dol_header[0x4A + 4 * k] << 8 | loader.dol_header[0x4B + 4 * k];
        const uint32_t size = (uint32_t)loader.dol_header[0x90 + 4 * k] << 24 |
                              (uint32_t)loader.dol_header[0x91 + 4 * k] << 16 |
                              (uint32_t)loader.dol_header[0x92 + 4 * k] << 8 | loader.dol_header[0x93 + 4 * k];
        if (size == 0 || address < BT_LOAD_LOWEST) continue;
        hw_dcache_invalidate((const void*)address, size);
        hw_icache_invalidate((const void*)address, size);
    }
    if (loader.bss_address >= BT_LOAD_LOWEST && loader.bss_size <= BT_LOAD_CEILING - loader.bss_address) {
        for (k = 0; k < loader.bss_size; ++k) bss[k] = 0;
        hw_dcache_flush(bss, loader.bss_size);
    }
    HW_REG32(FST_ADDRESS_WORD) = loader.fst_size != 0 ? loader.fst_address : 0;
    HW_REG32(FST_SIZE_WORD) = loader.fst_size;
    hw_dcache_flush((const void*)FST_ADDRESS_WORD, 8);
    return loader.entry;
}

/* Placed at the header's entry point by the linker script. */
__attribute__((section(".entry"), used)) void loader_entry(init_fn* init, main_fn* main_function, close_fn* close) {
    *init = loader_init;
    *main_function = loader_main;
    *close = loader_close;
}
