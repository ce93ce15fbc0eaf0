/* Mounting the card and reading it: header, the choice of directory and
   BAT copies, finding, listing and reading files. */
#include "card_fs.h"

#define HEADER_SIZE_MBIT 0x22u
#define HEADER_SUMMED 0x1FCu /* the checksums follow the summed bytes */
#define DIR_COUNTER 0x1FFAu
#define DIR_SUMMED 0x1FFCu
#define BAT_SUM 0u
#define BAT_COUNTER 4u

void card_copy(uint8_t* dst, const uint8_t* src, uint32_t len) {
    uint32_t i;
    for (i = 0; i < len; ++i) dst[i] = src[i];
}

void card_fill(uint8_t* dst, uint8_t value, uint32_t len) {
    uint32_t i;
    for (i = 0; i < len; ++i) dst[i] = value;
}

void card_checksum(const uint8_t* p, uint32_t len, uint16_t* sum, uint16_t* inverse) {
    uint32_t i;
    uint16_t s = 0, v = 0;
    for (i = 0; i + 1 < len; i += 2) {
        const uint16_t word = card_get16(p + i);
        s = (uint16_t)(s + word);
        v = (uint16_t)(v + (uint16_t)~word);
    }
    *sum = s == 0xFFFFu ? 0 : s;
    *inverse = v == 0xFFFFu ? 0 : v;
}

static int sums_match(const uint8_t* summed, uint32_t len, const uint8_t* stored) {
    uint16_t sum, inverse;
    card_checksum(summed, len, &sum, &inverse);
    return card_get16(stored) == sum && card_get16(stored + 2) == inverse;
}

static int dir_valid(const uint8_t* dir) { return sums_match(dir, DIR_SUMMED, dir + DIR_SUMMED); }

static int bat_valid(const uint8_t* bat, uint32_t blocks) {
    uint32_t b;
    if (!sums_match(bat + BAT_COUNTER, CARD_BLOCK_SIZE - BAT_COUNTER, bat + BAT_SUM)) return 0;
    for (b = CARD_FIRST_DATA_BLOCK; b < blocks; ++b) { /* every link stays on the card */
        const uint16_t next = card_get16(bat + 2u * b);
        if (next != 0 && next != 0xFFFFu && (next < CARD_FIRST_DATA_BLOCK || next >= blocks)) return 0;
    }
    return 1;
}

void card_seal_dir(uint8_t* dir, uint16_t counter) {
    uint16_t sum, inverse;
    card_put16(dir + DIR_COUNTER, counter);
    card_checksum(dir, DIR_SUMMED, &sum, &inverse);
    card_put16(dir + DIR_SUMMED, sum);
    card_put16(dir + DIR_SUMMED + 2u, inverse);
}

void card_seal_bat(uint8_t* bat, uint16_t counter) {
    uint16_t sum, inverse;
    card_put16(bat + BAT_COUNTER, counter);
    card_checksum(bat + BAT_COUNTER, CARD_BLOCK_SIZE - BAT_COUNTER, &sum, &inverse);
    card_put16(bat + BAT_SUM, sum);
    card_put16(bat + BAT_SUM + 2u, inverse);
}

/* 1 when counter a is newer than b (the counters wrap at 16 bits). */
static int newer(uint16_t a, uint16_t b) {
    const uint16_t d = (uint16_t)(a - b);
    return d != 0 && d < 0x8000u;
}

/* Reads copies `first` and first + 1 into keep and fs->scratch, keeps the
   valid newer one in keep; returns the block chosen or 0 for neither. */
static uint32_t pick_copy(card_fs* fs, uint32_t first, uint8_t* keep, uint32_t counter_at) {
    int ok0, ok1;
    if (fs->dev.read_block(fs->dev.ctx, first, keep) != 0) return 0;
    if (fs->dev.read_block(fs->dev.ctx, first + 1u, fs->scratch) != 0) return 0;
    if (first == 1u) {
        ok0 = dir_valid(keep);
        ok1 = dir_valid(fs->scratch);
    } else {
        ok0 = bat_valid(keep, fs->blocks);
        ok1 = bat_valid(fs->scratch, fs->blocks);
    }
    if (ok1 && (!ok0 || newer(card_get16(fs->scratch + counter_at), card_get16(keep + counter_at)))) {
        card_copy(keep, fs->scratch, CARD_BLOCK_SIZE);
        return first + 1u;
    }
    return ok0 ? first : 0;
}

card_result card_fs_mount(card_fs* fs, const card_device* dev) {
    uint32_t mbit;
    fs->dev = *dev;
    fs->blocks = 0;
    if (dev->read_block(dev->ctx, 0, fs->scratch) != 0) return CARD_ERR_IO;
    if (!sums_match(fs->scratch, HEADER_SUMMED, fs->scratch + HEADER_SUMMED)) return CARD_ERR_DAMAGED;
    mbit = card_get16(fs->scratch + HEADER_SIZE_MBIT);
    if (mbit == 0 || (mbit & (mbit - 1u)) != 0 || mbit * 16u < CARD_MIN_BLOCKS || mbit * 16u > CARD_MAX_BLOCKS)
        return CARD_ERR_DAMAGED;
    fs->blocks = mbit * 16u; /* 1 Mbit is 128 KiB, 16 blocks */
    fs->dir_block = pick_copy(fs, 1u, fs->dir, DIR_COUNTER);
    fs->bat_block = pick_copy(fs, 3u, fs->bat, BAT_COUNTER);
    if (fs->dir_block == 0 || fs->bat_block == 0) return CARD_ERR_DAMAGED;
    return CARD_OK;
}

uint16_t card_bat_next(const card_fs* fs, uint32_t block) { return card_get16(fs->bat + 2u * block); }

static const uint8_t* entry_at(const card_fs* fs, int slot) { return fs->dir + (uint32_t)slot * CARD_ENTRY_SIZE; }

static int entry_used(const uint8_t* e) { return !(e[0] == 0xFFu && e[1] == 0xFFu && e[2] == 0xFFu && e[3] == 0xFFu); }

static int same_bytes(const uint8_t* a, const char* b, uint32_t len) {
    uint32_t i;
    for (i = 0; i < len; ++i)
        if (a[i] != (uint8_t)b[i]) return 0;
    return 1;
}

int card_fs_find(const card_fs* fs, const card_file_id* id) {
    int slot;
    for (slot = 0; slot < (int)CARD_DIR_ENTRIES; ++slot) {
        const uint8_t* e = entry_at(fs, slot);
        if (entry_used(e) && same_bytes(e, id->game, CARD_GAME_CODE_LEN) &&
            same_bytes(e + 4, id->maker, CARD_MAKER_CODE_LEN) && same_bytes(e + 8, id->name, CARD_FILE_NAME_LEN))
            return slot;
    }
    return -1;
}

int card_fs_list(const card_fs* fs, card_file_info* out, int max) {
    int slot, n = 0;
    for (slot = 0; slot < (int)CARD_DIR_ENTRIES && n < max; ++slot) {
        const uint8_t* e = entry_at(fs, slot);
        card_file_info* info = &out[n];
        if (!entry_used(e)) continue;
        card_copy((uint8_t*)info->id.game, e, CARD_GAME_CODE_LEN);
        card_copy((uint8_t*)info->id.maker, e + 4, CARD_MAKER_CODE_LEN);
        card_copy((uint8_t*)info->id.name, e + 8, CARD_FILE_NAME_LEN);
        info->first_block = card_get16(e + CARD_ENTRY_FIRST_BLOCK);
        info->block_count = card_get16(e + CARD_ENTRY_BLOCK_COUNT);
        ++n;
    }
    return n;
}

uint32_t card_fs_free_blocks(const card_fs* fs) {
    uint32_t b, n = 0;
    for (b = CARD_FIRST_DATA_BLOCK; b < fs->blocks; ++b)
        if (card_bat_next(fs, b) == 0) ++n;
    return n;
}

card_result card_fs_read(card_fs* fs, int slot, uint32_t offset, uint8_t* dst, uint32_t len) {
    const uint8_t* e;
    uint32_t block, count, index = 0;
    if (slot < 0 || slot >= (int)CARD_DIR_ENTRIES) return CARD_ERR_RANGE;
    e = entry_at(fs, slot);
    if (!entry_used(e)) return CARD_ERR_NOT_FOUND;
    block = card_get16(e + CARD_ENTRY_FIRST_BLOCK);
    count = card_get16(e + CARD_ENTRY_BLOCK_COUNT);
    if (offset > count * CARD_BLOCK_SIZE || len > count * CARD_BLOCK_SIZE - offset) return CARD_ERR_RANGE;
    while (len > 0) {
        if (block < CARD_FIRST_DATA_BLOCK || block >= fs->blocks || index >= count) return CARD_ERR_DAMAGED;
        if (offset < CARD_BLOCK_SIZE) {
            const uint32_t part = CARD_BLOCK_SIZE - offset < len ? CARD_BLOCK_SIZE - offset : len;
            if (fs->dev.read_block(fs->dev.ctx, block, fs->scratch) != 0) return CARD_ERR_IO;
            card_copy(dst, fs->scratch + offset, part);
            dst += part;
            len -= part;
            offset = 0;
        } else {
            offset -= CARD_BLOCK_SIZE;
        }
        block = card_bat_next(fs, block);
        ++index;
    }
    return CARD_OK;
}
