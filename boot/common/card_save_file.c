/* A game's save file on the card: its name, and reading and writing it.
   Layout of the file:
     0x00  32 bytes  the game's title (first line in the card manager)
     0x20  32 bytes  "Cartridge save" (second line)
     0x40   4 bytes  "KSAV", marking a file this program wrote
     0x44   4 bytes  size of the save memory
     0x48   4 bytes  CRC-32 of the save memory
     0x4C   4 bytes  where the save memory starts (0 in files written
                     before the icon: 0x80)
     0x80 2048 bytes the icon
     0x880           the save memory */
#include "card_icon.h"
#include "card_save.h"

#define HEAD_MAGIC 0x40u
#define HEAD_SIZE 0x44u
#define HEAD_CRC 0x48u
#define HEAD_DATA_AT 0x4Cu
#define OLD_DATA_OFFSET 0x80u

typedef char icon_fits[CARD_SAVE_ICON_OFFSET + CARD_ICON_BYTES <= CARD_SAVE_DATA_OFFSET ? 1 : -1];

static const char second_line[] = "Cartridge save";
static const char magic[4] = {'K', 'S', 'A', 'V'};

static uint32_t get32(const uint8_t* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

static uint32_t crc32_of(const uint8_t* p, uint32_t len) {
    uint32_t crc = 0xFFFFFFFFu, i;
    int bit;
    for (i = 0; i < len; ++i) {
        crc ^= p[i];
        for (bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

static char printable(char c) { return c >= 0x20 && c < 0x7F ? c : '_'; }

/* Copies up to len bytes of src, stopping at a NUL; returns the count. */
static uint32_t put_text(char* dst, const char* src, uint32_t len, int clean) {
    uint32_t n = 0;
    while (n < len && src[n] != '\0') {
        dst[n] = clean ? printable(src[n]) : src[n];
        ++n;
    }
    return n;
}

void card_save_name_for(card_save_name* out, const char* disc_id6, const char* rom_code4, const char* rom_title12,
                        const char* title) {
    uint32_t n = 0;
    card_fill((uint8_t*)out, 0, sizeof *out);
    card_copy((uint8_t*)out->id.game, (const uint8_t*)disc_id6, CARD_GAME_CODE_LEN);
    card_copy((uint8_t*)out->id.maker, (const uint8_t*)disc_id6 + CARD_GAME_CODE_LEN, CARD_MAKER_CODE_LEN);
    n += put_text(out->id.name + n, "ks_", 3, 0);
    n += put_text(out->id.name + n, rom_code4, 4, 1);
    out->id.name[n++] = '_';
    n += put_text(out->id.name + n, rom_title12, 12, 1);
    (void)put_text(out->title, title, CARD_SAVE_TITLE_LEN - 1u, 1);
}

/* Reads the head of the file in `slot`; 1 when it is one of ours. */
static int read_head(card_fs* fs, int slot, uint8_t* head) {
    return card_fs_read(fs, slot, 0, head, CARD_SAVE_HEAD_LEN) == CARD_OK && head[HEAD_MAGIC] == (uint8_t)magic[0] &&
           head[HEAD_MAGIC + 1u] == (uint8_t)magic[1] && head[HEAD_MAGIC + 2u] == (uint8_t)magic[2] &&
           head[HEAD_MAGIC + 3u] == (uint8_t)magic[3];
}

static card_save_status mount_status(card_result r) {
    return r == CARD_OK ? CARD_SAVE_DONE : r == CARD_ERR_DAMAGED ? CARD_SAVE_DAMAGED : CARD_SAVE_NO_CARD;
}

card_save_status card_save_load(card_fs* fs, const card_device* dev, const card_save_name* name, uint8_t* dst,
                                uint32_t cap, uint32_t* size) {
    uint8_t head[CARD_SAVE_HEAD_LEN];
    const card_save_status mounted = mount_status(card_fs_mount(fs, dev));
    int slot;
    uint32_t n, at;
    *size = 0;
    if (mounted != CARD_SAVE_DONE) return mounted;
    slot = card_fs_find(fs, &name->id);
    if (slot < 0) return CARD_SAVE_NO_FILE;
    if (!read_head(fs, slot, head)) return CARD_SAVE_FOREIGN;
    n = get32(head + HEAD_SIZE);
    at = get32(head + HEAD_DATA_AT);
    if (at == 0) at = OLD_DATA_OFFSET;
    if (at < CARD_SAVE_HEAD_LEN || at > CARD_SAVE_DATA_OFFSET) return CARD_SAVE_DAMAGED;
    if (n > cap || card_fs_read(fs, slot, at, dst, n) != CARD_OK) return CARD_SAVE_DAMAGED;
    if (crc32_of(dst, n) != get32(head + HEAD_CRC)) return CARD_SAVE_DAMAGED;
    *size = n;
    return CARD_SAVE_DONE;
}

card_save_status card_save_store(card_fs* fs, const card_device* dev, const card_save_name* name, uint32_t time,
                                 const uint8_t* data, uint32_t size) {
    uint8_t head[CARD_SAVE_DATA_OFFSET];
    const card_save_status mounted = mount_status(card_fs_mount(fs, dev));
    card_entry_look look;
    int slot;
    card_result r;
    if (mounted != CARD_SAVE_DONE) return mounted;
    slot = card_fs_find(fs, &name->id);
    if (slot >= 0 && !read_head(fs, slot, head)) return CARD_SAVE_FOREIGN;
    card_fill(head, 0, sizeof head);
    card_copy(head, (const uint8_t*)name->title, CARD_SAVE_TITLE_LEN);
    (void)put_text((char*)head + CARD_SAVE_TITLE_LEN, second_line, CARD_SAVE_TITLE_LEN, 0);
    card_copy(head + HEAD_MAGIC, (const uint8_t*)magic, 4);
    card_put32(head + HEAD_SIZE, size);
    card_put32(head + HEAD_CRC, crc32_of(data, size));
    card_put32(head + HEAD_DATA_AT, CARD_SAVE_DATA_OFFSET);
    card_icon_make(head + CARD_SAVE_ICON_OFFSET);
    look.time = time;
    look.comment_offset = 0;
    look.icon_format = CARD_ICON_FORMAT_RGB5A3;
    look.icon_speed = CARD_ICON_SPEED_SLOW;
    look.image_offset = CARD_SAVE_ICON_OFFSET;
    r = card_fs_write_file(fs, &name->id, &look, head, sizeof head, data, size);
    return r == CARD_OK ? CARD_SAVE_DONE : r == CARD_ERR_FULL ? CARD_SAVE_FULL : CARD_SAVE_FAILED;
}
