/* The loader's plan: which disc reads bring the program image and the file
   system table into memory. The console's start-up code calls the loader's
   main function repeatedly; each call hands back the next read (memory
   address, length and disc offset) until everything is in place.

   1. the header words at disc offset 0x420 (program image offset, table
      offset and size);
   2. the 0x100-byte DOL header of the program image;
   3. each text and data section at its load address;
   4. the file system table, placed just below BT_FST_CEILING.
   Addresses and lengths are multiples of 32 and offsets multiples of 4, as
   the disc interface needs. */
#ifndef BOOT_DOL_LOADER_H
#define BOOT_DOL_LOADER_H

#include <stdint.h>

#include "format/console_layout.h"

#define BT_DISC_HEADER_WORDS KF_HEADER_WORDS_AT
#define BT_DOL_HEADER_SIZE KF_DOL_HEADER_SIZE
#define BT_DOL_SECTIONS KF_DOL_SECTIONS
#define BT_FST_CEILING 0x81700000u
#define BT_FST_MAX_SIZE 0x100000u
#define BT_LOAD_LOWEST KF_PROGRAM_TEXT_ADDRESS /* nothing is loaded below the system area */
#define BT_LOAD_CEILING KF_LOADER_LOAD_ADDRESS /* the loader itself lives here */
#define BT_DOL_TEXT_SECTIONS KF_DOL_TEXT_SECTIONS

/* The error screen the loader shows instead of starting a program whose
   header it refused: one plain colour (dark red, as YUV pairs) over the whole
   640 x 480 picture, from a framebuffer inside the refused program's area. */
#define BT_ERROR_FRAMEBUFFER 0x80500000u
#define BT_ERROR_FRAMEBUFFER_WORDS (640u * 480u / 2u)
#define BT_ERROR_SCREEN_WORD 0x316D31B8u

typedef struct {
    uint32_t address;
    uint32_t length;
    uint32_t offset;
} bt_disc_read;

typedef struct {
    int step;
    int section;
    uint32_t scratch_address; /* 32-aligned, BT_DOL_HEADER_SIZE bytes */
    uint32_t dol_offset;
    uint32_t fst_offset;
    uint32_t fst_size;
    uint32_t fst_address;
    uint32_t entry;
    uint32_t bss_address;
    uint32_t bss_size;
    uint32_t loaded; /* bit k: section k was accepted and read */
    int failed;      /* a section was refused: nothing more is read */
    uint8_t dol_header[BT_DOL_HEADER_SIZE];
} bt_loader;

void bt_loader_init(bt_loader* l, uint32_t scratch_address);

/* Gives the next read in *next and returns 1, or returns 0 when all is
   loaded (*next then repeats a harmless read into the scratch area).
   scratch is the scratch area's bytes, holding the previous read. */
int bt_loader_next(bt_loader* l, const uint8_t* scratch, bt_disc_read* next);

typedef struct {
    uint32_t address;
    uint32_t length;
} bt_range;

/* What the loader's close does once every read is done. */
typedef struct {
    int start; /* 1: start the program at entry; 0: show the error screen, touch nothing */
    uint32_t entry;
    bt_range sections[BT_DOL_SECTIONS]; /* the loaded ones, for the caches */
    uint32_t section_count;
    bt_range bss; /* zeroed; length 0 when there is none */
} bt_close_plan;

/* The program starts only when no section was refused, its BSS lies wholly
   in the program's area (no wrap-around) and its entry point lies in a loaded
   text section. */
void bt_loader_close_plan(const bt_loader* l, bt_close_plan* plan);

#endif
