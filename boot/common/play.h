/* Playing a game: where the handheld's picture goes on the screen, how its
   colours reach the video interface, which keys the controller presses,
   the pause menu, and how a ROM is read from the disc. All of it without
   hardware, so the tests run it on the host. */
#ifndef BOOT_PLAY_H
#define BOOT_PLAY_H

#include <stdint.h>

#include "canvas.h"

#define BT_GAME_WIDTH 240
#define BT_GAME_HEIGHT 160
#define BT_COLOUR_COUNT 32768u
#define BT_ROM_CAPACITY 0x1000000u /* the largest ROM the memory map has room for */
#define BT_LOAD_CHUNK 0x40000u     /* read per step of the progress bar */

typedef struct {
    int x, y, width, height;
} bt_rect;

/* The picture's place on the 640 x 480 screen for zoom 0 (twice the size,
   centred), 1 (as large as the shape allows, centred) or 2 (the whole
   screen); other values are taken as 0. */
bt_rect bt_play_rect(int zoom);

/* For each of the rectangle's width output columns, the handheld column it
   shows (nearest neighbour). */
void bt_play_columns(const bt_rect* r, uint8_t* columns);

/* The handheld line shown on output line y (0-based inside the rectangle). */
int bt_play_source_row(const bt_rect* r, int y);

/* table[colour] = the video word of two pixels of that 15-bit colour
   (Y Cb Y Cr), each 5-bit channel widened as c << 3 | c >> 2. */
void bt_play_colour_table(uint32_t* table);

/* The video word of two neighbouring pixels: each its own luma, the
   chroma of both averaged. */
uint32_t bt_play_pair(const uint32_t* table, uint16_t left, uint16_t right);

/* Draws the frame (240 x 160 colours) into the rectangle of a 640 x 480
   framebuffer of video words (320 a line); rows that repeat a handheld
   line are copies of the row above. */
void bt_play_draw(const uint16_t* frame, const bt_rect* r, const uint8_t* columns, const uint32_t* table,
                  uint32_t* words);

/* Fills a rectangle of a framebuffer of video words with one colour
   (0x00RRGGBB); x and width are taken in pairs of pixels. */
void bt_words_fill(uint32_t* words, int x, int y, int width, int height, uint32_t rgb);

/* Converts a canvas into a framebuffer of video words at (x, y), x even. */
void bt_words_blit(uint32_t* words, const bt_canvas* src, int x, int y);

/* --- the controller ------------------------------------------------------ */
enum {
    BT_GBA_A = 1 << 0,
    BT_GBA_B = 1 << 1,
    BT_GBA_SELECT = 1 << 2,
    BT_GBA_START = 1 << 3,
    BT_GBA_RIGHT = 1 << 4,
    BT_GBA_LEFT = 1 << 5,
    BT_GBA_UP = 1 << 6,
    BT_GBA_DOWN = 1 << 7,
    BT_GBA_R = 1 << 8,
    BT_GBA_L = 1 << 9
};

/* The handheld keys the controller's first status word holds: A, B, L, R
   and Start as themselves, Z as Select, the pad and the stick both steer.
   None when the controller is absent. */
uint16_t bt_play_keys(uint32_t status_high);

/* Whether the menu keys (bt_pad_keys) ask for the pause menu: X and Y
   both held now, not both held before. */
int bt_pause_wanted(unsigned before, unsigned now);

/* --- the pause menu ------------------------------------------------------ */
enum { BT_PAUSE_CONTINUE = 0, BT_PAUSE_RESTART = 1, BT_PAUSE_QUIT = 2, BT_PAUSE_ITEMS = 3 };
enum { BT_PAUSE_STAY = -1, BT_PAUSE_MOVED = -2 };

typedef struct {
    int cursor;
    unsigned held;
} bt_pause_state;

/* Opens the menu on "continue"; keys held now count only once released. */
void bt_pause_open(bt_pause_state* s, unsigned keys);

/* One field's menu keys: up/down move (wrapping round), A chooses the item
   under the cursor, B continues. Returns the chosen item, or BT_PAUSE_STAY
   / BT_PAUSE_MOVED. */
int bt_pause_input(bt_pause_state* s, unsigned keys);

#define BT_PAUSE_BOX_WIDTH 320
#define BT_PAUSE_BOX_HEIGHT 120
/* Draws the menu into a canvas of the box's size. */
void bt_pause_draw(const bt_pause_state* s, bt_canvas* box);

/* --- loading ------------------------------------------------------------- */
enum { BT_LOAD_OK = 0, BT_LOAD_TOO_SMALL, BT_LOAD_TOO_LARGE };

typedef struct {
    uint32_t size;
    uint32_t chunks; /* reads of BT_LOAD_CHUNK bytes, the last one shorter */
} bt_load_plan;

/* Plans reading a ROM of size bytes into capacity bytes of memory. */
int bt_load_plan_make(uint32_t size, uint32_t capacity, bt_load_plan* plan);

/* Offset and length of read number i (0-based) of the plan. */
void bt_load_plan_chunk(const bt_load_plan* plan, uint32_t i, uint32_t* offset, uint32_t* length);

/* The loading screen: the game's title over a progress bar, drawn into
   frame over background; bar receives the bar's inside. */
void bt_loading_draw(bt_canvas* frame, const bt_canvas* background, const char* title, bt_rect* bar);

#endif
