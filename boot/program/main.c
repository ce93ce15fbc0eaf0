/* The program: shows the game menu over the chosen skin, follows the
   controller and plays the game chosen (game.c). Everything but the
   hardware access is in ../common. */
#include <stdint.h>

#include "../common/app.h"
#include "../common/bytes.h"
#include "../common/yuv.h"
#include "../hw/hw.h"
#include "game.h"
#include "game_sound.h"
#include "memory_map.h"

void program_main(void);

static bt_app app;

#ifdef BOOT_DEBUG_UART
/* The test-only build reports what it shows, one line per change. */
static void report(void) {
    char line[80] = "kessra: page ";
    size_t n = 13;
    n += bt_copy_text(line + n, 8,
                      app.menu.page == BT_PAGE_DETAILS   ? "details"
                      : app.menu.page == BT_PAGE_MESSAGE ? "message"
                                                         : "menu",
                      7);
    n += bt_copy_text(line + n, 10, " cursor ", 8);
    n += bt_format_uint(line + n, (uint32_t)app.menu.cursor + 1u);
    n += bt_copy_text(line + n, 10, " of ", 4);
    n += bt_format_uint(line + n, (uint32_t)app.menu.count);
    if (app.menu.page == BT_PAGE_DETAILS) {
        n += bt_copy_text(line + n, 10, " title ", 7);
        bt_copy_text(line + n, sizeof line - n, app.details.title, sizeof app.details.title);
    }
    hw_uart_puts(line);
}
#else
static void report(void) {}
#endif

/* The table the loader left, if its address and size are believable. */
static void find_fst(bt_app_env* env) {
    const uint32_t address = HW_REG32(MEM_FST_ADDRESS_WORD), size = HW_REG32(MEM_FST_SIZE_WORD);
    env->fst = 0;
    env->fst_size = 0;
    if (address >= MEM_FST_LOWEST && address < MEM_FST_CEILING && size <= MEM_FST_CEILING - address) {
        env->fst = (const uint8_t*)address;
        env->fst_size = size;
    }
}

static void present(bt_canvas* frame, int* shown) {
    uint32_t* const xfb[2] = {(uint32_t*)MEM_XFB0, (uint32_t*)MEM_XFB1};
    const int next = 1 - *shown;
    bt_app_draw(&app, frame);
    /* Written through the uncached alias so the video interface sees it. */
    bt_yuv_from_canvas(frame, (uint32_t*)HW_UNCACHED(xfb[next]));
    hw_vi_show(xfb[next]);
    *shown = next;
    report();
}

void program_main(void) {
    static const uint8_t no_table[12] = {0};
    bt_app_env env;
    bt_canvas frame;
    int shown = 0;
    uint32_t i;
    uint32_t* blank = (uint32_t*)HW_UNCACHED(MEM_XFB0);
    for (i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT / 2; ++i) blank[i] = 0x10801080u; /* black */
    hw_vi_init((const void*)MEM_XFB0);
    hw_si_init();
    game_sound_init();

    env.read = hw_di_read;
    env.read_ctx = 0;
    find_fst(&env);
    if (env.fst == 0) {
        env.fst = no_table;
        env.fst_size = sizeof no_table;
    }
    env.menu_table = (const uint8_t*)MEM_MENU_TABLE;
    env.skin_digit = *(const volatile uint8_t*)MEM_SKIN_DIGIT;
    env.zoom_digit = *(const volatile uint8_t*)MEM_ZOOM_DIGIT;
    env.file_buffer = (uint8_t*)MEM_FILE_BUFFER;
    env.file_capacity = MEM_FILE_CAPACITY;
    env.background.px = (uint32_t*)MEM_BACKGROUND;
    env.background.width = SCREEN_WIDTH;
    env.background.height = SCREEN_HEIGHT;
    frame.px = (uint32_t*)MEM_FRAME;
    frame.width = SCREEN_WIDTH;
    frame.height = SCREEN_HEIGHT;

    bt_app_start(&app, &env);
    present(&frame, &shown);
    for (;;) {
        hw_vi_wait_field();
        if (bt_app_input(&app, hw_si_read())) present(&frame, &shown);
        if (app.play >= 0) {
            const int number = app.play;
            app.play = -1;
            game_play(&app, number, &frame, &shown);
            bt_app_restore(&app); /* the ROM took the skin's memory */
            present(&frame, &shown);
        }
    }
}
