/* The game's save memory on the memory card in slot A (docs/memory-card.md):
   read into the core when the game starts, written back when it is due
   (changed, then left alone for a second; on pause; before going back to
   the game list). A problem is told once, in a box at the foot of the
   screen for a few seconds, while the game waits. */
#include "game_save.h"

#include "../../emu/kessra_emu.h"
#include "../common/bytes.h"
#include "../common/card_note.h"
#include "../common/card_save.h"
#include "../common/play.h"
#include "../hw/exi_card.h"
#include "../hw/hw.h"
#include "../hw/rtc.h"
#include "game_sound.h"
#include "memory_map.h"

#define NOTE_FIELDS 180u /* three seconds */
#define LEAVE_FRAMES 30u /* frames a game may take to finish a write when leaving */
#define ROW_WORDS (SCREEN_WIDTH / 2)
#define NOTE_WORDS (CARD_NOTE_WIDTH / 2)

/* The work areas must fit their places in memory_map.h. */
typedef char card_fs_fits[sizeof(card_fs) <= MEM_CARD_FS_CAPACITY ? 1 : -1];
typedef char card_note_fits[CARD_NOTE_WIDTH * CARD_NOTE_HEIGHT * 4u <= MEM_CARD_UNDER - MEM_CARD_NOTE ? 1 : -1];
typedef char card_under_fits[2u * NOTE_WORDS * CARD_NOTE_HEIGHT * 4u <= MEM_CARD_END - MEM_CARD_UNDER ? 1 : -1];

/* The game being played. */
typedef struct {
    int started;     /* a game has started and not yet gone back to the list */
    uint32_t frames; /* frames since the core started, as the core counts them */
    card_save_policy policy;
    card_save_name name;
} saver;

static saver s;

static card_fs* fs(void) { return (card_fs*)MEM_CARD_FS; }

/* "kessra: save WHAT NUMBER (MS ms)": the card's time since `since`. */
static void report(const char* what, uint32_t number, uint32_t since) {
    char line[80];
    size_t n = bt_copy_text(line, 40, "kessra: save ", 13);
    n += bt_copy_text(line + n, 30, what, 30);
    line[n++] = ' ';
    n += bt_format_uint(line + n, number);
    n += bt_copy_text(line + n, 4, " (", 2);
    n += bt_format_uint(line + n, (hw_time() - since) / (HW_TIME_HZ / 1000u));
    bt_copy_text(line + n, 5, " ms)", 4);
    hw_uart_puts(line);
}

/* Copies the framebuffers' words under the notice aside, or back. */
static void keep_under(int back) {
    uint32_t* under = (uint32_t*)MEM_CARD_UNDER;
    uint32_t f, row, k;
    for (f = 0; f < 2; ++f) {
        uint32_t* words = (uint32_t*)HW_UNCACHED(f == 0 ? MEM_XFB0 : MEM_XFB1);
        words += CARD_NOTE_Y * ROW_WORDS + CARD_NOTE_X / 2;
        for (row = 0; row < CARD_NOTE_HEIGHT; ++row, words += ROW_WORDS)
            for (k = 0; k < NOTE_WORDS; ++k, ++under) {
                if (back) words[k] = *under;
                else *under = words[k];
            }
    }
}

/* Shows the notice over both framebuffers for a few seconds, then puts
   back what was under it. `sound`: the game's sound is going (playing or
   paused) and wants every field. */
static void show(const char* text, int sound) {
    bt_canvas box;
    uint32_t f;
    char line[128];
    if (text == 0) return;
    bt_copy_text(line + bt_copy_text(line, 20, "kessra: card: ", 14), sizeof line - 14, text, 100);
    hw_uart_puts(line);
    box.px = (uint32_t*)MEM_CARD_NOTE;
    box.width = CARD_NOTE_WIDTH;
    box.height = CARD_NOTE_HEIGHT;
    card_note_draw(&box, text);
    keep_under(0);
    bt_words_blit((uint32_t*)HW_UNCACHED(MEM_XFB0), &box, CARD_NOTE_X, CARD_NOTE_Y);
    bt_words_blit((uint32_t*)HW_UNCACHED(MEM_XFB1), &box, CARD_NOTE_X, CARD_NOTE_Y);
    for (f = 0; f < NOTE_FIELDS; ++f) {
        hw_vi_wait_field();
        if (sound) game_sound_field();
    }
    keep_under(1);
}

void game_save_start(bt_app* app, void* emu, const uint8_t* rom, const char* title) {
    const card_device dev = hw_card_device();
    char disc_id[6] = {'K', 'S', 'R', 'A', '0', '0'}, read[6];
    const uint32_t since = hw_time();
    uint32_t size = 0;
    card_save_status st;
    if (!s.started) card_save_policy_init(&s.policy); /* a restart keeps what was said */
    s.started = 1;
    s.frames = 0;
    if (app->env.read(app->env.read_ctx, 0, read, sizeof read) == 0) /* the disc's ID */
        card_copy((uint8_t*)disc_id, (const uint8_t*)read, sizeof read);
    card_save_name_for(&s.name, disc_id, (const char*)rom + KF_ROM_GAME_CODE_AT, (const char*)rom + KF_ROM_TITLE_AT,
                       title);
    st = card_save_load(fs(), &dev, &s.name, (uint8_t*)MEM_CARD_SAVE, MEM_CARD_SAVE_CAPACITY, &size);
    if (st == CARD_SAVE_DONE) {
        const int taken = kessra_emu_save_load(emu, (const uint8_t*)MEM_CARD_SAVE, size);
        report(taken ? "loaded" : "refused, size", size, since);
    } else {
        report("not loaded, status", (uint32_t)st, since);
    }
    /* A game that may have no save memory (or an EEPROM it has not used
       yet) hears about the card only when it saves. */
    if (st == CARD_SAVE_DONE || kessra_emu_save_size(emu) != 0) show(card_save_message(&s.policy, st), 0);
}

/* Writes the save memory when it is due at this moment. */
static void keep(void* emu, card_save_moment moment) {
    const card_device dev = hw_card_device();
    uint32_t change = 0;
    const int changed = kessra_emu_save_changed(emu, &change);
    const uint32_t size = kessra_emu_save_size(emu);
    uint32_t since;
    card_save_status st;
    if (size == 0 || !card_save_due(&s.policy, moment, changed, change, s.frames, kessra_emu_save_busy(emu))) return;
    if (moment == CARD_SAVE_FRAME) game_sound_pause();
    since = hw_time();
    st = card_save_store(fs(), &dev, &s.name, hw_rtc_seconds(), kessra_emu_save_data(emu), size);
    if (card_save_done(&s.policy, st, change)) kessra_emu_save_taken(emu);
    report(st == CARD_SAVE_DONE ? "kept" : "not kept, status", st == CARD_SAVE_DONE ? size : (uint32_t)st, since);
    show(card_save_message(&s.policy, st), 1);
    if (moment == CARD_SAVE_FRAME) game_sound_resume();
}

void game_save_frame(void* emu) {
    ++s.frames;
    keep(emu, CARD_SAVE_FRAME);
}

void game_save_pause(void* emu) { keep(emu, CARD_SAVE_PAUSE); }

void game_save_leave(void* emu) {
    uint32_t i;
    for (i = 0; i < LEAVE_FRAMES && kessra_emu_save_busy(emu); ++i) { /* let it finish the write */
        kessra_emu_run_frame(emu);
        ++s.frames;
    }
    keep(emu, CARD_SAVE_LEAVE);
    s.started = 0;
}
