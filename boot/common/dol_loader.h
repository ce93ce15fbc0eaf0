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

#define BT_DISC_HEADER_WORDS 0x420u
#define BT_DOL_HEADER_SIZE 0x100u
#define BT_DOL_SECTIONS 18 /* 7 text, 11 data */
#define BT_FST_CEILING 0x81700000u
#define BT_FST_MAX_SIZE 0x100000u
#define BT_LOAD_LOWEST 0x80003100u  /* nothing is loaded below the system area */
#define BT_LOAD_CEILING 0x81200000u /* the loader itself lives here */

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
    int failed;
    uint8_t dol_header[BT_DOL_HEADER_SIZE];
} bt_loader;

void bt_loader_init(bt_loader* l, uint32_t scratch_address);

/* Gives the next read in *next and returns 1, or returns 0 when all is
   loaded (*next then repeats a harmless read into the scratch area).
   scratch is the scratch area's bytes, holding the previous read. */
int bt_loader_next(bt_loader* l, const uint8_t* scratch, bt_disc_read* next);

#endif
