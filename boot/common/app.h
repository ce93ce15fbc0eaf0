/* The program's logic above the hardware: loading the skin, following the
   controller, gathering a game's details from the disc, and drawing a
   frame. The console build and the host's frame predictor both run it;
   they differ only in how the disc is read and where memory comes from. */
#ifndef BOOT_APP_H
#define BOOT_APP_H

#include <stdint.h>

#include "canvas.h"
#include "format/console_layout.h"
#include "menu_state.h"

/* Reads len bytes at a disc offset into dst; returns 0 on success. */
typedef int (*bt_read_fn)(void* ctx, uint32_t offset, void* dst, uint32_t len);

typedef struct {
    bt_read_fn read;
    void* read_ctx;
    const uint8_t* fst; /* the file system table the loader left in memory */
    uint32_t fst_size;
    const uint8_t* menu_table; /* BT_MENU_SLOT_COUNT slots */
    uint8_t skin_digit;        /* '0'..'3' as patched */
    uint8_t zoom_digit;        /* '0'..'2' */
    uint8_t* file_buffer;      /* room for a skin file */
    uint32_t file_capacity;
    bt_canvas background; /* screen-sized */
} bt_app_env;

#define BT_ROM_HEADER_SIZE KF_ROM_HEADER_SIZE
#define BT_INDEX_FILE_SIZE 2048u

typedef struct {
    int number;   /* 0-based game */
    int index_ok; /* index file read */
    int rom_ok;   /* ROM header read */
    char index_text[BT_INDEX_FILE_SIZE + 1];
    char path[96]; /* the ROM's path on the disc, from the index file */
    uint32_t rom_size;
    uint32_t rom_offset; /* where the ROM's bytes start on the disc */
    char title[13];
    char game_code[5];
    char maker[3];
} bt_details;

typedef struct {
    bt_app_env env;
    int skin;
    int zoom;
    int skin_status; /* 0, or why the skin could not be shown */
    int pad_present;
    bt_menu_state menu;
    bt_details details;
    int play;          /* the game A chose, -1 while none is waiting to start */
    char message[256]; /* the message page's text */
} bt_app;

/* Reads the settings and the menu, loads the skin and draws the
   background. */
void bt_app_start(bt_app* app, const bt_app_env* env);

/* One field's controller word (BT_PAD_ABSENT set when none answered);
   returns 1 when the frame must be redrawn. Opening the details page reads
   from the disc; A sets play to the game under the cursor. */
int bt_app_input(bt_app* app, uint32_t pad_high);

/* Shows text on the message page (B goes back to the menu). */
void bt_app_show_message(bt_app* app, const char* text);

/* Loads the skin and draws the background again, after a game used their
   memory; the menu keeps its place. */
void bt_app_restore(bt_app* app);

/* Draws the current page into frame (screen-sized). */
void bt_app_draw(const bt_app* app, bt_canvas* frame);

/* Fills in the details of game number (0-based) from the disc. */
void bt_details_load(const bt_app_env* env, int number, bt_details* d);

#endif
