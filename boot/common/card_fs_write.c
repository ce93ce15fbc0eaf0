/* Writing a file, crash-safe. The order of block writes:
     1. the contents, to blocks that no file names;
     2. the BAT, to its spare copy with the next counter: the new blocks
        taken, the file's old blocks still taken;
     3. the directory, to its spare copy with the next counter, its entry
        now naming the new blocks;
     4. (a rewrite only) the BAT again, to the other copy, the old blocks
        free.
   A cut before 2 leaves the tables as they were; between 2 and 3 the old
   directory with blocks merely kept aside; between 3 and 4 the new file
   with the old blocks kept aside. Blocks kept aside that way (taken in the
   BAT, named by no file) are given back when the tables are next written.
   A failed write leaves the in-memory tables resynchronised from the card. */
#include "card_fs.h"

#define ENTRY_UNUSED_BYTE 0x06u
#define ENTRY_BANNER_FORMAT 0x07u
#define ENTRY_NAME 0x08u
#define ENTRY_TIME 0x28u
#define ENTRY_ICON_OFFSET 0x2Cu
#define ENTRY_ICON_FORMAT 0x30u
#define ENTRY_ICON_SPEED 0x32u
#define ENTRY_PERMISSION 0x34u
#define ENTRY_COPY_COUNT 0x35u
#define ENTRY_PAD 0x3Au
#define ENTRY_COMMENT_OFFSET 0x3Cu
#define PERMISSION_PUBLIC 0x04u
#define DIR_COUNTER 0x1FFAu
#define BAT_COUNTER 4u

static int free_slot(const card_fs* fs) {
    int slot;
    for (slot = 0; slot < (int)CARD_DIR_ENTRIES; ++slot)
        if (card_get16(fs->dir + (uint32_t)slot * CARD_ENTRY_SIZE) == 0xFFFFu &&
            card_get16(fs->dir + (uint32_t)slot * CARD_ENTRY_SIZE + 2u) == 0xFFFFu)
            return slot;
    return -1;
}

static void set_next(card_fs* fs, uint32_t block, uint16_t next) { card_put16(fs->bat + 2u * block, next); }

/* Takes `need` free blocks, linked in order, starting after the last block
   allocated; returns the first. */
static uint16_t allocate(card_fs* fs, uint32_t need) {
    const uint32_t span = fs->blocks - CARD_FIRST_DATA_BLOCK;
    uint32_t b = card_get16(fs->bat + CARD_BAT_LAST), tried, first = 0, prev = 0;
    for (tried = 0; tried < span && need > 0; ++tried) {
        b = b + 1u < fs->blocks && b + 1u >= CARD_FIRST_DATA_BLOCK ? b + 1u : CARD_FIRST_DATA_BLOCK;
        if (card_bat_next(fs, b) != 0) continue;
        set_next(fs, b, 0xFFFFu);
        if (prev != 0) set_next(fs, prev, (uint16_t)b);
        else first = b;
        prev = b;
        --need;
    }
    card_put16(fs->bat + CARD_BAT_LAST, (uint16_t)prev);
    return (uint16_t)first;
}

/* Marks the count blocks of the chain at first in `seen`; 0 when the chain
   leaves the card, runs short or long, or meets a block already seen. */
static int mark_chain(const card_fs* fs, uint32_t first, uint32_t count, uint8_t* seen) {
    uint32_t b = first, k;
    for (k = 0; k < count; ++k) {
        if (b < CARD_FIRST_DATA_BLOCK || b >= fs->blocks || (seen[b >> 3] & (1u << (b & 7u)))) return 0;
        seen[b >> 3] = (uint8_t)(seen[b >> 3] | (1u << (b & 7u)));
        b = card_bat_next(fs, b);
        if ((b == 0xFFFFu) != (k + 1u == count)) return 0;
    }
    return count > 0;
}

/* Frees blocks taken in the BAT but named by no file; does nothing unless
   every file's chain is sound. */
static void give_back_strays(card_fs* fs) {
    uint8_t seen[CARD_MAX_BLOCKS / 8u];
    uint32_t slot, b;
    card_fill(seen, 0, sizeof seen);
    for (slot = 0; slot < CARD_DIR_ENTRIES; ++slot) {
        const uint8_t* e = fs->dir + slot * CARD_ENTRY_SIZE;
        if (card_get16(e) == 0xFFFFu && card_get16(e + 2) == 0xFFFFu) continue;
        if (!mark_chain(fs, card_get16(e + CARD_ENTRY_FIRST_BLOCK), card_get16(e + CARD_ENTRY_BLOCK_COUNT), seen))
            return;
    }
    for (b = CARD_FIRST_DATA_BLOCK; b < fs->blocks; ++b)
        if (card_bat_next(fs, b) != 0 && !(seen[b >> 3] & (1u << (b & 7u)))) set_next(fs, b, 0);
}

static int write_bat(card_fs* fs) {
    const uint32_t spare = fs->bat_block == 3u ? 4u : 3u;
    card_put16(fs->bat + CARD_BAT_FREE, (uint16_t)card_fs_free_blocks(fs));
    card_seal_bat(fs->bat, (uint16_t)(card_get16(fs->bat + BAT_COUNTER) + 1u));
    if (fs->dev.write_block(fs->dev.ctx, spare, fs->bat) != 0) return 0;
    fs->bat_block = spare;
    return 1;
}

static int write_dir(card_fs* fs) {
    const uint32_t spare = fs->dir_block == 1u ? 2u : 1u;
    card_seal_dir(fs->dir, (uint16_t)(card_get16(fs->dir + DIR_COUNTER) + 1u));
    if (fs->dev.write_block(fs->dev.ctx, spare, fs->dir) != 0) return 0;
    fs->dir_block = spare;
    return 1;
}

/* Byte `at` of head followed by body, or 0 past both. */
static void fill_block(uint8_t* dst, uint32_t start, const uint8_t* head, uint32_t head_len, const uint8_t* body,
                       uint32_t body_len) {
    uint32_t i;
    for (i = 0; i < CARD_BLOCK_SIZE; ++i) {
        const uint32_t at = start + i;
        dst[i] = at < head_len ? head[at] : at - head_len < body_len ? body[at - head_len] : 0;
    }
}

static void fill_entry(uint8_t* e, const card_file_id* id, const card_entry_look* look, uint16_t first,
                       uint16_t count) {
    card_fill(e, 0, CARD_ENTRY_SIZE);
    card_copy(e, (const uint8_t*)id->game, CARD_GAME_CODE_LEN);
    card_copy(e + 4, (const uint8_t*)id->maker, CARD_MAKER_CODE_LEN);
    e[ENTRY_UNUSED_BYTE] = 0xFFu;
    e[ENTRY_BANNER_FORMAT] = 0; /* no banner */
    card_copy(e + ENTRY_NAME, (const uint8_t*)id->name, CARD_FILE_NAME_LEN);
    card_put32(e + ENTRY_TIME, look->time);
    card_put32(e + ENTRY_ICON_OFFSET, look->icon_format != 0 ? look->image_offset : 0xFFFFFFFFu);
    card_put16(e + ENTRY_ICON_FORMAT, look->icon_format);
    card_put16(e + ENTRY_ICON_SPEED, look->icon_format != 0 ? look->icon_speed : 0);
    e[ENTRY_PERMISSION] = PERMISSION_PUBLIC;
    e[ENTRY_COPY_COUNT] = 0;
    card_put16(e + CARD_ENTRY_FIRST_BLOCK, first);
    card_put16(e + CARD_ENTRY_BLOCK_COUNT, count);
    card_put16(e + ENTRY_PAD, 0xFFFFu);
    card_put32(e + ENTRY_COMMENT_OFFSET, look->comment_offset);
}

static card_result failed(card_fs* fs, card_result result) {
    const card_device dev = fs->dev;
    (void)card_fs_mount(fs, &dev); /* back to what the card holds */
    return result;
}

card_result card_fs_write_file(card_fs* fs, const card_file_id* id, const card_entry_look* look, const uint8_t* head,
                               uint32_t head_len, const uint8_t* body, uint32_t body_len) {
    int slot = card_fs_find(fs, id);
    const int rewrite = slot >= 0;
    uint32_t need, b, k;
    uint16_t first;
    uint8_t* e;
    if (head_len > CARD_BLOCK_SIZE || body_len > CARD_MAX_BLOCKS * CARD_BLOCK_SIZE) return CARD_ERR_RANGE;
    need = (head_len + body_len + CARD_BLOCK_SIZE - 1u) / CARD_BLOCK_SIZE;
    if (need == 0) need = 1;
    if (!rewrite) slot = free_slot(fs);
    give_back_strays(fs);
    if (slot < 0 || card_fs_free_blocks(fs) < need) return failed(fs, CARD_ERR_FULL);
    e = fs->dir + (uint32_t)slot * CARD_ENTRY_SIZE;

    first = allocate(fs, need);
    for (b = first, k = 0; k < need; ++k, b = card_bat_next(fs, b)) {
        fill_block(fs->scratch, k * CARD_BLOCK_SIZE, head, head_len, body, body_len);
        if (fs->dev.write_block(fs->dev.ctx, b, fs->scratch) != 0) return failed(fs, CARD_ERR_IO);
    }
    if (!write_bat(fs)) return failed(fs, CARD_ERR_IO);
    fill_entry(e, id, look, first, (uint16_t)need);
    if (!write_dir(fs)) return failed(fs, CARD_ERR_IO);
    if (rewrite) {
        give_back_strays(fs); /* the old blocks */
        if (!write_bat(fs)) return failed(fs, CARD_ERR_IO);
    }
    return CARD_OK;
}
