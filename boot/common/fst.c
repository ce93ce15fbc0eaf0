#include "fst.h"

#include "bytes.h"

#define ENTRY_SIZE 12u
#define DIRECTORY_FLAG 0x01000000u

typedef struct {
    const uint8_t* fst;
    uint32_t count; /* entries */
    const char* names;
    uint32_t names_size;
} table;

static int open_table(const uint8_t* fst, uint32_t size, table* t) {
    if (size < ENTRY_SIZE || (bt_be32(fst) & 0xFF000000u) != DIRECTORY_FLAG) return 0;
    t->fst = fst;
    t->count = bt_be32(fst + 8);
    if (t->count == 0 || t->count > size / ENTRY_SIZE) return 0;
    t->names = (const char*)fst + t->count * ENTRY_SIZE;
    t->names_size = size - t->count * ENTRY_SIZE;
    return 1;
}

static int is_dir(const table* t, uint32_t i) {
    return (bt_be32(t->fst + i * ENTRY_SIZE) & 0xFF000000u) == DIRECTORY_FLAG;
}

static uint32_t word(const table* t, uint32_t i, uint32_t w) { return bt_be32(t->fst + i * ENTRY_SIZE + 4u * w); }

/* Whether entry i's name equals the len bytes of name. */
static int name_is(const table* t, uint32_t i, const char* name, uint32_t len) {
    const uint32_t at = word(t, i, 0) & 0x00FFFFFFu;
    uint32_t k;
    if (at > t->names_size || t->names_size - at <= len) return 0;
    for (k = 0; k < len; ++k)
        if (t->names[at + k] != name[k]) return 0;
    return t->names[at + len] == '\0';
}

/* The index after directory i's contents, kept inside the table and past i. */
static uint32_t dir_end(const table* t, uint32_t i) {
    const uint32_t next = word(t, i, 2);
    return next <= i || next > t->count ? t->count : next;
}

static int find_in(const table* t, uint32_t dir, const char* name, uint32_t len, uint32_t* found) {
    const uint32_t end = dir_end(t, dir);
    uint32_t i = dir + 1;
    while (i < end) {
        if (name_is(t, i, name, len)) {
            *found = i;
            return 1;
        }
        i = is_dir(t, i) ? dir_end(t, i) : i + 1;
    }
    return 0;
}

int bt_fst_find(const uint8_t* fst, uint32_t size, const char* path, bt_fst_file* out) {
    table t;
    uint32_t dir = 0, found = 0, len;
    if (!open_table(fst, size, &t)) return 0;
    for (;;) {
        len = 0;
        while (path[len] != '\0' && path[len] != '/') ++len;
        if (len == 0 || !find_in(&t, dir, path, len, &found)) return 0;
        if (path[len] == '\0') break;
        if (!is_dir(&t, found)) return 0;
        dir = found;
        path += len + 1;
    }
    if (is_dir(&t, found)) return 0;
    out->offset = word(&t, found, 1);
    out->length = word(&t, found, 2);
    return 1;
}

int bt_fst_nth_in_dir(const uint8_t* fst, uint32_t size, const char* dir_name, uint32_t n, bt_fst_file* out, char* name,
                      uint32_t cap) {
    table t;
    uint32_t dir = 0, len = 0, i, end, at;
    if (!open_table(fst, size, &t)) return 0;
    while (dir_name[len] != '\0') ++len;
    if (!find_in(&t, 0, dir_name, len, &dir) || !is_dir(&t, dir)) return 0;
    end = dir_end(&t, dir);
    for (i = dir + 1; i < end; i = is_dir(&t, i) ? dir_end(&t, i) : i + 1) {
        if (is_dir(&t, i)) continue;
        if (n-- != 0) continue;
        out->offset = word(&t, i, 1);
        out->length = word(&t, i, 2);
        at = word(&t, i, 0) & 0x00FFFFFFu;
        if (at >= t.names_size) return 0;
        bt_copy_text(name, cap, t.names + at, t.names_size - at);
        return 1;
    }
    return 0;
}
