/* Where the program keeps its large buffers (docs/boot.md has the whole
   map). All lie between the program's text and the loader's area, clear
   of the stack (top 0x81500000) and the file system table (below
   0x81700000). */
#ifndef BOOT_MEMORY_MAP_H
#define BOOT_MEMORY_MAP_H

#include "format/console_layout.h"

#define MEM_MENU_TABLE KF_MENU_TABLE_ADDRESS
#define MEM_SKIN_DIGIT KF_SKIN_DIGIT_ADDRESS
#define MEM_ZOOM_DIGIT KF_ZOOM_DIGIT_ADDRESS
#define MEM_FILE_BUFFER 0x80400000u /* a skin file, up to 0x100000 bytes */
#define MEM_FILE_CAPACITY 0x100000u
#define MEM_BACKGROUND 0x80500000u  /* 640 x 480 x 4 bytes */
#define MEM_FRAME 0x80680000u       /* 640 x 480 x 4 bytes */
#define MEM_XFB0 0x80800000u        /* 640 x 480 x 2 bytes */
#define MEM_XFB1 0x80900000u
#define MEM_FST_ADDRESS_WORD 0x80000038u
#define MEM_FST_SIZE_WORD 0x8000003Cu
#define MEM_FST_LOWEST 0x81500000u  /* a table below this is not believed */
#define MEM_FST_CEILING 0x81700000u

#define SCREEN_WIDTH 640
#define SCREEN_HEIGHT 480

#endif
