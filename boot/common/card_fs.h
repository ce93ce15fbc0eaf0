/* The memory card's own file system, over an abstract block device: the
   host tests give it an image in memory, the console the card in slot A.

   The card is a row of 8 KiB blocks. Block 0 is the header (card size,
   encoding), blocks 1 and 2 are two copies of the directory, blocks 3 and
   4 two copies of the block allocation table (BAT); files take blocks 5
   and on. Each directory and BAT copy carries an update counter and two
   16-bit checksums; the copy with valid checksums and the higher counter
   is the one in use. All numbers on the card are big-endian. */
#ifndef BOOT_CARD_FS_H
#define BOOT_CARD_FS_H

#include <stddef.h>
#include <stdint.h>

#define CARD_BLOCK_SIZE 8192u
#define CARD_PAGE_SIZE 128u /* the unit of a page program */
#define CARD_FIRST_DATA_BLOCK 5u
#define CARD_MIN_BLOCKS 64u   /* the smallest card: 4 Mbit */
#define CARD_MAX_BLOCKS 4096u /* as many as the BAT can map */
#define CARD_DIR_ENTRIES 127u
#define CARD_ENTRY_SIZE 64u
#define CARD_GAME_CODE_LEN 4u
#define CARD_MAKER_CODE_LEN 2u
#define CARD_FILE_NAME_LEN 32u
/* Offsets inside a directory entry and the BAT. */
#define CARD_ENTRY_FIRST_BLOCK 0x36u
#define CARD_ENTRY_BLOCK_COUNT 0x38u
#define CARD_BAT_FREE 6u
#define CARD_BAT_LAST 8u

typedef enum card_result {
    CARD_OK = 0,
    CARD_ERR_IO = -1,      /* the device failed (or there is no card) */
    CARD_ERR_DAMAGED = -2, /* neither copy of the directory or BAT is valid */
    CARD_ERR_FULL = -3,    /* not enough free blocks or directory entries */
    CARD_ERR_NOT_FOUND = -4,
    CARD_ERR_RANGE = -5 /* an offset, length or block number out of range */
} card_result;

/* One 8 KiB block at a time. write_block erases the block and programs it
   with src. Both return 0 on success. */
typedef struct card_device {
    void* ctx;
    int (*read_block)(void* ctx, uint32_t block, uint8_t* dst);
    int (*write_block)(void* ctx, uint32_t block, const uint8_t* src);
} card_device;

/* A file's identity: the owning program's game and maker codes and its
   name (NUL-padded, up to 32 bytes). */
typedef struct card_file_id {
    char game[CARD_GAME_CODE_LEN];
    char maker[CARD_MAKER_CODE_LEN];
    char name[CARD_FILE_NAME_LEN];
} card_file_id;

typedef struct card_file_info {
    card_file_id id;
    uint16_t first_block;
    uint16_t block_count;
} card_file_info;

/* A mounted card: the directory and BAT copies in use and a block buffer.
   Caller-owned (about 24 KiB). */
typedef struct card_fs {
    card_device dev;
    uint32_t blocks;    /* the card's size in blocks, from its header */
    uint32_t dir_block; /* 1 or 2 */
    uint32_t bat_block; /* 3 or 4 */
    uint8_t dir[CARD_BLOCK_SIZE];
    uint8_t bat[CARD_BLOCK_SIZE];
    uint8_t scratch[CARD_BLOCK_SIZE];
} card_fs;

/* The card's 16-bit checksum pair over len bytes (len even): the sum of the
   big-endian words and the sum of their complements, each 0xFFFF made 0. */
void card_checksum(const uint8_t* p, uint32_t len, uint16_t* sum, uint16_t* inverse);

/* Reads the header and picks the valid, newer copy of the directory and of
   the BAT; a damaged copy is ignored when the other is good. */
card_result card_fs_mount(card_fs* fs, const card_device* dev);

/* The directory slot holding the file, or -1. */
int card_fs_find(const card_fs* fs, const card_file_id* id);
/* Up to max files on the card, in directory order; returns how many. */
int card_fs_list(const card_fs* fs, card_file_info* out, int max);
uint32_t card_fs_free_blocks(const card_fs* fs);

/* Reads len bytes at offset of the file in directory slot `slot`. */
card_result card_fs_read(card_fs* fs, int slot, uint32_t offset, uint8_t* dst, uint32_t len);

/* What a write puts in the directory entry besides the blocks. */
typedef struct card_entry_look {
    uint32_t time;           /* seconds since 1 January 2000 */
    uint32_t comment_offset; /* where the two 32-byte lines the card
                                 manager shows start in the file */
    uint16_t icon_format;    /* 2 bits per icon frame, 0: no icon */
    uint16_t icon_speed;     /* 2 bits per frame: how long it shows */
    uint32_t image_offset;   /* where the icons start in the file */
} card_entry_look;

/* Creates the file, or replaces its contents, with head (head_len <= one
   block) followed by body, zero-padded to whole blocks. Crash-safe: the new
   contents go to free blocks first, then the tables to their spare copies,
   so a cut between any two block writes leaves the previous contents. */
card_result card_fs_write_file(card_fs* fs, const card_file_id* id, const card_entry_look* look, const uint8_t* head,
                               uint32_t head_len, const uint8_t* body, uint32_t body_len);

/* Helpers shared by the file-system sources. */
static inline uint16_t card_get16(const uint8_t* p) { return (uint16_t)((unsigned)p[0] << 8 | (unsigned)p[1]); }
static inline void card_put16(uint8_t* p, uint16_t v) {
    p[0] = (uint8_t)(v >> 8);
    p[1] = (uint8_t)v;
}
static inline void card_put32(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)(v >> 24);
    p[1] = (uint8_t)(v >> 16);
    p[2] = (uint8_t)(v >> 8);
    p[3] = (uint8_t)v;
}
void card_copy(uint8_t* dst, const uint8_t* src, uint32_t len);
void card_fill(uint8_t* dst, uint8_t value, uint32_t len);
/* The BAT's entry for a block: 0 free, 0xFFFF the file's last block, else
   the next block. */
uint16_t card_bat_next(const card_fs* fs, uint32_t block);
/* Seals a directory or BAT image: update counter and checksums. */
void card_seal_dir(uint8_t* dir, uint16_t counter);
void card_seal_bat(uint8_t* bat, uint16_t counter);

#endif
