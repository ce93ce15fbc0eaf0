/* Finding a file in the disc's file system table: 12-byte entries (name
   offset with the directory flag in the top byte, data offset or parent,
   length or next index) followed by the name table. The table comes from
   the disc, so every index and name offset is checked before use. */
#ifndef BOOT_FST_H
#define BOOT_FST_H

#include <stdint.h>

typedef struct {
    uint32_t offset; /* disc offset of the file's data */
    uint32_t length;
} bt_fst_file;

/* Looks up a path such as "F_01.tpl" or "roms/game.gba" (components
   separated by '/', compared byte for byte). Returns 1 when found. */
int bt_fst_find(const uint8_t* fst, uint32_t size, const char* path, bt_fst_file* out);

/* The n-th (0-based) file directly inside the directory named dir_name in
   the root; its name is copied to name (cap bytes). Returns 1 when found. */
int bt_fst_nth_in_dir(const uint8_t* fst, uint32_t size, const char* dir_name, uint32_t n, bt_fst_file* out, char* name,
                      uint32_t cap);

#endif
