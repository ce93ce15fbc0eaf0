/* Where the program keeps its large buffers (docs/boot.md has the whole
   map). All lie between the program's code and the loader's area, clear
   of the stack (top 0x81500000) and the file system table (below
   0x81700000). The menu's buffers share their memory with the ROM: they
   are rebuilt when the player comes back to the game list. */
#ifndef BOOT_MEMORY_MAP_H
#define BOOT_MEMORY_MAP_H

#include "format/console_layout.h"

#define MEM_MENU_TABLE KF_MENU_TABLE_ADDRESS
#define MEM_SKIN_DIGIT KF_SKIN_DIGIT_ADDRESS
#define MEM_ZOOM_DIGIT KF_ZOOM_DIGIT_ADDRESS
#define MEM_XFB0 0x801D0000u /* 640 x 480 x 2 bytes */
#define MEM_XFB1 0x80266000u
#define MEM_EMU_STATE 0x80300000u /* the emulator's state */
#define MEM_EMU_STATE_CAPACITY 0xA0000u
/* Memory card work areas, in the zero-filled room of the program's text
   section between the entry stub and the menu table (never code). */
#define MEM_CARD_FS 0x80100000u /* card_fs: directory, BAT, block buffer */
#define MEM_CARD_FS_CAPACITY 0x8000u
#define MEM_CARD_SAVE 0x80108000u /* a save read from the card */
#define MEM_CARD_SAVE_CAPACITY 0x20000u
#define MEM_CARD_NOTE 0x80128000u  /* the card notice's canvas */
#define MEM_CARD_UNDER 0x80154000u /* the framebuffers' words under it */
#define MEM_CARD_END 0x80180000u
#define MEM_COLOUR_TABLE 0x803A0000u /* 32768 video words */
#define MEM_PAUSE_BOX 0x803C0000u    /* the pause menu's canvas, 320 x 120 x 4 bytes */
#define MEM_ROM 0x80400000u          /* the game's ROM, up to 16 MiB (to 0x81400000) */
#define MEM_FILE_BUFFER 0x80400000u  /* a skin file, up to 0x100000 bytes */
#define MEM_FILE_CAPACITY 0x100000u
#define MEM_BACKGROUND 0x80500000u /* 640 x 480 x 4 bytes */
#define MEM_FRAME 0x80680000u      /* 640 x 480 x 4 bytes */
#define MEM_FST_ADDRESS_WORD 0x80000038u
#define MEM_FST_SIZE_WORD 0x8000003Cu
#define MEM_FST_LOWEST 0x81500000u /* a table below this is not believed */
#define MEM_FST_CEILING 0x81700000u

#define SCREEN_WIDTH 640
#define SCREEN_HEIGHT 480

#endif
