/* A game's details, gathered from the disc: its index file ("index.NNN"
   in the root), the ROM path named on the index file's second line, and
   that ROM's header (its title, game code and maker). */
#include "app.h"
#include "bytes.h"
#include "fst.h"

static void field(char* dst, const uint8_t* src, uint32_t len) {
    uint32_t i;
    for (i = 0; i < len; ++i) dst[i] = (char)src[i];
    dst[len] = '\0';
    while (len > 0 && (dst[len - 1] == '\0' || dst[len - 1] == ' ')) dst[--len] = '\0';
}

/* The second line of an index file, up to its tab: "roms/<disc name>". */
static int path_from_index(const char* text, char* path, uint32_t cap) {
    uint32_t n = 0;
    while (*text != '\0' && *text != '\n') ++text;
    if (*text != '\n') return 0;
    ++text;
    while (text[n] != '\0' && text[n] != '\t' && text[n] != '\n' && text[n] != '\r' && n + 1 < cap) {
        path[n] = text[n];
        ++n;
    }
    path[n] = '\0';
    return n > 0;
}

void bt_details_load(const bt_app_env* env, int number, bt_details* d) {
    static uint8_t header[BT_ROM_HEADER_SIZE];
    char name[16] = "index.";
    bt_fst_file file;
    d->number = number;
    d->index_ok = 0;
    d->rom_ok = 0;
    d->index_text[0] = '\0';
    d->path[0] = '\0';
    d->rom_size = 0;
    d->rom_offset = 0;
    d->title[0] = d->game_code[0] = d->maker[0] = '\0';
    bt_format_padded(name + 6, (uint32_t)number % 1000u, 3);
    if (bt_fst_find(env->fst, env->fst_size, name, &file) && file.length <= BT_INDEX_FILE_SIZE &&
        env->read(env->read_ctx, file.offset, d->index_text, file.length) == 0) {
        d->index_text[file.length] = '\0';
        d->index_ok = 1;
    }
    /* The ROM named by the index file, else the game's place in "roms". */
    if (!(d->index_ok && path_from_index(d->index_text, d->path, sizeof d->path) &&
          bt_fst_find(env->fst, env->fst_size, d->path, &file))) {
        char disc_name[80];
        if (!bt_fst_nth_in_dir(env->fst, env->fst_size, "roms", (uint32_t)number, &file, disc_name, sizeof disc_name))
            return;
        bt_copy_text(d->path, sizeof d->path, "roms/", 5);
        bt_copy_text(d->path + 5, sizeof d->path - 5, disc_name, sizeof disc_name);
    }
    d->rom_size = file.length;
    d->rom_offset = file.offset;
    if (file.length < BT_ROM_HEADER_SIZE || env->read(env->read_ctx, file.offset, header, BT_ROM_HEADER_SIZE) != 0)
        return;
    field(d->title, header + KF_ROM_TITLE_AT, 12);
    field(d->game_code, header + KF_ROM_GAME_CODE_AT, 4);
    field(d->maker, header + KF_ROM_MAKER_AT, 2);
    d->rom_ok = 1;
}
