/* Keeping a handheld game's save memory on the memory card in slot A: when
   to write it, the file it goes to, and the messages shown when it cannot
   be kept.

   The game loop, per game:
     - at start: card_save_policy_init, card_save_name_for, then
       card_save_load into a buffer and, when it returns CARD_SAVE_DONE,
       kessra_emu_save_load; pass its status to card_save_message;
     - every frame: card_save_due(..., CARD_SAVE_FRAME, ...) with the
       core's kessra_emu_save_changed / _busy; on pause CARD_SAVE_PAUSE,
       before going back to the game list CARD_SAVE_LEAVE;
     - when due: card_save_store with kessra_emu_save_data / _size, then
       card_save_done with its status (and kessra_emu_save_taken when that
       says so), and shows card_save_message's text when not NULL. */
#ifndef BOOT_CARD_SAVE_H
#define BOOT_CARD_SAVE_H

#include <stdint.h>

#include "card_fs.h"

/* A file on the card: the title at the start of its first block (the line
   the console's card manager shows), then a small header, the icon, and
   the save memory from CARD_SAVE_DATA_OFFSET on. */
#define CARD_SAVE_TITLE_LEN 32u
#define CARD_SAVE_HEAD_LEN 0x80u
#define CARD_SAVE_ICON_OFFSET 0x80u
#define CARD_SAVE_DATA_OFFSET 0x880u /* after the icon's 2048 bytes */
#define CARD_SAVE_QUIET_FRAMES 60u   /* about a second left alone */

typedef enum card_save_status {
    CARD_SAVE_DONE = 0,
    CARD_SAVE_NO_FILE, /* loading: nothing kept yet for this game */
    CARD_SAVE_NO_CARD,
    CARD_SAVE_FULL,
    CARD_SAVE_DAMAGED, /* the card's tables, or our file, do not check out */
    CARD_SAVE_FOREIGN, /* a file of that name not written by us: left alone */
    CARD_SAVE_FAILED   /* the card stopped answering during a write */
} card_save_status;

typedef struct card_save_name {
    card_file_id id;
    char title[CARD_SAVE_TITLE_LEN]; /* NUL-padded */
} card_save_name;

/* The file for a game: owned by the disc (its 4-byte game code and 2-byte
   maker code), named after the cartridge's 4-character code and 12-byte
   title (from the ROM header; unprintable bytes become '_'), and showing
   `title` (the game list's name, NUL-terminated) in the card manager. */
void card_save_name_for(card_save_name* out, const char* disc_id6, const char* rom_code4, const char* rom_title12,
                        const char* title);

/* Reads the kept save memory into dst (capacity cap); *size gets its size. */
card_save_status card_save_load(card_fs* fs, const card_device* dev, const card_save_name* name, uint8_t* dst,
                                uint32_t cap, uint32_t* size);
/* Writes the save memory to the card (time: seconds since 2000, 0 if not
   known). */
card_save_status card_save_store(card_fs* fs, const card_device* dev, const card_save_name* name, uint32_t time,
                                 const uint8_t* data, uint32_t size);

/* --- when to write ----------------------------------------------------- */
typedef enum card_save_moment {
    CARD_SAVE_FRAME, /* an ordinary frame */
    CARD_SAVE_PAUSE, /* the player paused */
    CARD_SAVE_LEAVE  /* going back to the game list */
} card_save_moment;

typedef struct card_save_policy {
    uint32_t shown;        /* one bit per status whose message was shown */
    int retry_blocked;     /* the last write failed: wait for a new change */
    uint32_t failed_frame; /* ... the change it was for */
} card_save_policy;

void card_save_policy_init(card_save_policy* p);
/* 1 when the save memory should be written now: it changed (last at
   change_frame) and the game is not in the middle of writing it, and it
   has been left alone for CARD_SAVE_QUIET_FRAMES, or the game pauses or
   ends. After a failed write, ordinary frames wait for a newer change. */
int card_save_due(const card_save_policy* p, card_save_moment moment, int changed, uint32_t change_frame,
                  uint32_t now_frame, int busy);
/* Records a write's outcome; 1 when the core may be told the contents were
   kept (kessra_emu_save_taken). */
int card_save_done(card_save_policy* p, card_save_status status, uint32_t change_frame);
/* The text to show for a status, the first time only (NULL otherwise, and
   for CARD_SAVE_DONE / CARD_SAVE_NO_FILE). A success lets later problems
   be shown again. */
const char* card_save_message(card_save_policy* p, card_save_status status);

#endif
