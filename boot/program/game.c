/* Loading a game and playing it: see game.h and docs/boot.md. */
#include "game.h"

#include <stdint.h>

#include "../../emu/kessra_emu.h"
#include "../common/bytes.h"
#include "../common/menu_table.h"
#include "../common/play.h"
#include "../common/yuv.h"
#include "../hw/hw.h"
#include "game_save.h"
#include "game_sound.h"
#include "memory_map.h"

/* One NTSC field, 1001/60000 s (divided first: the product overflows 32 bits). */
#define FIELD_TICKS (HW_TIME_HZ / 60000u * 1001u)
typedef char field_ticks_between_a_60th_and_a_59th_of_a_second
    [FIELD_TICKS > HW_TIME_HZ / 60u && FIELD_TICKS < HW_TIME_HZ / 59u ? 1 : -1];
#define MAX_SKIPPED_IN_A_ROW 3
#define GIVE_UP_CATCHING_UP (8 * FIELD_TICKS)
#define REPORT_EVERY 300u
#define SCREEN_WORDS (SCREEN_WIDTH * SCREEN_HEIGHT / 2)
#define BAR_COLOUR BT_RGB(255, 214, 90)

static uint32_t* xfb(int n) { return (uint32_t*)(n == 0 ? MEM_XFB0 : MEM_XFB1); }

static void message(bt_app* app, const char* name, const char* why, uint32_t number, const char* after) {
    char text[256];
    size_t n = bt_copy_text(text, 80, name, 80);
    n += bt_copy_text(text + n, 80, why, 80);
    if (after != 0) {
        n += bt_format_uint(text + n, number);
        bt_copy_text(text + n, sizeof text - n, after, 80);
    }
    bt_app_show_message(app, text);
}

/* Reads the ROM into place, a chunk per step of the bar; 0 on success. */
static int load(bt_app* app, const bt_load_plan* plan, const bt_rect* bar, uint32_t* screen) {
    uint32_t i, offset, length;
    for (i = 0; i < plan->chunks; ++i) {
        bt_load_plan_chunk(plan, i, &offset, &length);
        if (app->env.read(app->env.read_ctx, app->details.rom_offset + offset, (uint8_t*)MEM_ROM + offset, length) != 0)
            return -1;
        bt_words_fill(screen, bar->x, bar->y, (int)((uint32_t)bar->width * (i + 1) / plan->chunks) & ~1, bar->height,
                      BAR_COLOUR);
    }
    return 0;
}

static void report(const char* what, const char* title) {
    char line[64];
    size_t n = bt_copy_text(line, 20, "kessra: ", 8);
    n += bt_copy_text(line + n, 10, what, 10);
    bt_copy_text(line + n, sizeof line - n, title, 40);
    hw_uart_puts(line);
}

/* Where the time of the last frames went, in time base ticks. */
typedef struct {
    uint32_t frames, drawn, skipped;
    uint32_t since; /* the time base when they began */
    uint32_t emulating, drawing;
} speed;

static size_t format_tenths(char* out, uint32_t tenths) {
    size_t n = bt_format_uint(out, tenths / 10u);
    out[n++] = '.';
    return n + bt_format_uint(out + n, tenths % 10u);
}

/* "kessra: fps N.N drawn D skipped S" over the last frames, then the
   milliseconds a frame took emulating and a drawn frame drawing. */
static void report_speed(const speed* s, uint32_t now) {
    char line[80];
    const uint32_t ticks = now - s->since, per_ms = HW_TIME_HZ / 10000u; /* ticks per tenth of a ms */
    size_t n = bt_copy_text(line, 20, "kessra: fps ", 12);
    n += format_tenths(line + n, ticks == 0 ? 0u : (uint32_t)((uint64_t)s->frames * 10u * HW_TIME_HZ / ticks));
    n += bt_copy_text(line + n, 10, " drawn ", 7);
    n += bt_format_uint(line + n, s->drawn);
    n += bt_copy_text(line + n, 10, " skipped ", 9);
    n += bt_format_uint(line + n, s->skipped);
    hw_uart_puts(line);
    n = bt_copy_text(line, 40, "kessra: ms per frame: emulation ", 32);
    n += format_tenths(line + n, s->emulating / per_ms / (s->frames ? s->frames : 1u));
    n += bt_copy_text(line + n, 12, " drawing ", 9);
    format_tenths(line + n, s->drawing / per_ms / (s->drawn ? s->drawn : 1u));
    hw_uart_puts(line);
}

/* The pause menu over the frozen picture; returns the item chosen. */
static int pause_menu(unsigned keys, int shown) {
    bt_pause_state s;
    bt_canvas box;
    int choice = BT_PAUSE_MOVED;
    box.px = (uint32_t*)MEM_PAUSE_BOX;
    box.width = BT_PAUSE_BOX_WIDTH;
    box.height = BT_PAUSE_BOX_HEIGHT;
    bt_pause_open(&s, keys);
    for (;;) {
        if (choice == BT_PAUSE_MOVED) {
            bt_pause_draw(&s, &box);
            bt_words_blit((uint32_t*)HW_UNCACHED(xfb(shown)), &box, (SCREEN_WIDTH - box.width) / 2,
                          (SCREEN_HEIGHT - box.height) / 2);
        }
        hw_vi_wait_field();
        game_sound_field();
        choice = bt_pause_input(&s, bt_pad_keys(hw_si_read()));
        if (choice >= 0) return choice;
    }
}

typedef struct {
    bt_app* app;
    const char* title;
    void* state;
    const uint8_t* rom;
    uint32_t rom_size;
    bt_rect rect;
    uint8_t columns[SCREEN_WIDTH];
    const uint32_t* table;
} game;

static void draw(const game* g, int target) {
    uint32_t* words = xfb(target);
    bt_play_draw(kessra_emu_frame(g->state), &g->rect, g->columns, g->table, words);
    hw_dcache_flush(words + g->rect.y * (SCREEN_WIDTH / 2), (uint32_t)g->rect.height * SCREEN_WIDTH * 2u);
}

/* The game runs until the pause menu's "back to the game list". */
static void run(game* g, int* shown) {
    static const speed none = {0, 0, 0, 0, 0, 0};
    speed sp = none;
    uint32_t due = hw_time(), started;
    unsigned before = ~0u; /* keys held while the game starts count only once released */
    int skipped_in_a_row = 0;
    sp.since = due;
    for (;;) {
        const uint32_t pad = hw_si_read();
        const unsigned keys = bt_pad_keys(pad);
        int32_t late;
        if (bt_pause_wanted(before, keys)) {
            int choice;
            game_sound_pause();
            game_save_pause(g->state);
            choice = pause_menu(keys, *shown);
            if (choice == BT_PAUSE_QUIT) {
                game_save_leave(g->state);
                game_sound_stop(g->state);
                return;
            }
            if (choice == BT_PAUSE_RESTART) {
                kessra_emu_start(g->state, g->rom, g->rom_size);
                game_save_start(g->app, g->state, g->rom, g->title);
                game_sound_start(g->state);
            } else {
                game_sound_resume();
            }
            sp = none;
            due = sp.since = hw_time();
        }
        before = keys;
        kessra_emu_set_keys(g->state, bt_play_keys(pad));
        started = hw_time();
        kessra_emu_run_frame(g->state);
        game_sound_frame(g->state);
        game_save_frame(g->state);
        sp.emulating += hw_time() - started;
        due += FIELD_TICKS;
        late = (int32_t)(hw_time() - due);
        if (late > (int32_t)FIELD_TICKS && skipped_in_a_row < MAX_SKIPPED_IN_A_ROW) {
            ++sp.skipped; /* more than a field behind: this frame is not drawn */
            ++skipped_in_a_row;
        } else {
            const int next = 1 - *shown;
            started = hw_time();
            draw(g, next);
            sp.drawing += hw_time() - started;
            if ((int32_t)(hw_time() - due) < 0) { /* ahead: show it with the next field */
                hw_vi_wait_field();
                due = hw_time();
            }
            hw_vi_show(xfb(next));
            *shown = next;
            ++sp.drawn;
            skipped_in_a_row = 0;
        }
        game_sound_field();
        if (late > (int32_t)GIVE_UP_CATCHING_UP) due = hw_time();
        if (++sp.frames == REPORT_EVERY) {
            const uint32_t now = hw_time();
            report_speed(&sp, now);
            sp = none;
            sp.since = now;
        }
    }
}

void game_play(bt_app* app, int number, bt_canvas* frame, int* shown) {
    static game g;
    char title[BT_MENU_SLOT_SIZE + 1];
    const char* name;
    bt_load_plan plan;
    bt_rect bar;
    int status, i;
    bt_details_load(&app->env, number, &app->details);
    bt_menu_text(app->env.menu_table, number, title);
    name = app->details.rom_ok && app->details.title[0] != '\0' ? app->details.title : title;
    if (app->details.path[0] == '\0') {
        message(app, title, ": THE GAME'S ROM IS NOT ON THIS DISC.", 0, 0);
        return;
    }
    status = bt_load_plan_make(app->details.rom_size, BT_ROM_CAPACITY, &plan);
    if (status == BT_LOAD_TOO_LARGE) {
        message(app, app->details.path, " IS TOO LARGE TO PLAY: ", app->details.rom_size,
                " BYTES, THE CONSOLE HAS ROOM FOR 16777216.");
        return;
    }
    if (status != BT_LOAD_OK) {
        message(app, app->details.path, " IS NOT A ROM THAT CAN BE PLAYED (", app->details.rom_size, " BYTES).");
        return;
    }
    if (!app->details.rom_ok) { /* of a size to play, but its header did not read */
        message(app, app->details.path, " CANNOT BE READ FROM THE DISC.", 0, 0);
        return;
    }
    if (kessra_emu_state_size() > MEM_EMU_STATE_CAPACITY) {
        message(app, "", "THE EMULATOR'S STATE DOES NOT FIT ITS PLACE IN MEMORY.", 0, 0);
        return;
    }
    /* The skin goes to the hidden framebuffer now, while it still exists;
       the loading screen to the one on screen. */
    bt_yuv_from_canvas(&app->env.background, (uint32_t*)HW_UNCACHED(xfb(1 - *shown)));
    bt_loading_draw(frame, &app->env.background, name, &bar);
    bt_yuv_from_canvas(frame, (uint32_t*)HW_UNCACHED(xfb(*shown)));
    if (load(app, &plan, &bar, (uint32_t*)HW_UNCACHED(xfb(*shown))) != 0) {
        message(app, app->details.path, " CANNOT BE READ FROM THE DISC.", 0, 0);
        return;
    }
    g.state = (void*)MEM_EMU_STATE;
    g.rom = (const uint8_t*)MEM_ROM;
    g.rom_size = plan.size;
    if (!kessra_emu_start(g.state, g.rom, g.rom_size)) {
        message(app, app->details.path, ": THE EMULATOR CANNOT START THIS ROM.", 0, 0);
        return;
    }
    g.table = (const uint32_t*)MEM_COLOUR_TABLE;
    bt_play_colour_table((uint32_t*)MEM_COLOUR_TABLE);
    g.rect = bt_play_rect(app->zoom);
    bt_play_columns(&g.rect, g.columns);
    { /* the skin on both framebuffers */
        const uint32_t* from = (const uint32_t*)HW_UNCACHED(xfb(1 - *shown));
        uint32_t* to = (uint32_t*)HW_UNCACHED(xfb(*shown));
        for (i = 0; i < SCREEN_WORDS; ++i) to[i] = from[i];
    }
    g.app = app;
    g.title = name;
    game_save_start(app, g.state, g.rom, name);
    game_sound_start(g.state);
    report("play ", name);
    run(&g, shown);
}
