#include "dol_loader.h"

#include "bytes.h"

enum { STEP_HEADER, STEP_DOL, STEP_SECTIONS, STEP_FST, STEP_DONE };

void bt_loader_init(bt_loader* l, uint32_t scratch_address) {
    uint32_t i;
    l->step = STEP_HEADER;
    l->section = 0;
    l->scratch_address = scratch_address;
    l->dol_offset = l->fst_offset = l->fst_size = l->fst_address = 0;
    l->entry = l->bss_address = l->bss_size = 0;
    l->loaded = 0;
    l->failed = 0;
    for (i = 0; i < BT_DOL_HEADER_SIZE; ++i) l->dol_header[i] = 0;
}

static void scratch_read(const bt_loader* l, uint32_t offset, uint32_t length, bt_disc_read* next) {
    next->address = l->scratch_address;
    next->length = length;
    next->offset = offset;
}

/* [address, address + size) lies from the end of the system area up to the
   loader, computed without wrap-around. */
static int inside_program_area(uint32_t address, uint32_t size) {
    return address >= BT_LOAD_LOWEST && address <= BT_LOAD_CEILING && size <= BT_LOAD_CEILING - address;
}

/* A section may land anywhere in the program's area, 32-byte aligned, and
   must come from a word-aligned place on the disc. */
static int section_ok(uint32_t address, uint32_t size, uint32_t dol_offset, uint32_t file_offset) {
    return address % 32u == 0 && size <= BT_LOAD_CEILING - BT_LOAD_LOWEST &&
           inside_program_area(address, bt_round_up32(size)) && file_offset <= 0xFFFFFFFFu - dol_offset &&
           (dol_offset + file_offset) % 4u == 0;
}

int bt_loader_next(bt_loader* l, const uint8_t* scratch, bt_disc_read* next) {
    uint32_t i;
    switch (l->step) {
    case STEP_HEADER:
        l->step = STEP_DOL;
        scratch_read(l, BT_DISC_HEADER_WORDS, 32, next);
        return 1;
    case STEP_DOL:
        l->dol_offset = bt_be32(scratch);
        l->fst_offset = bt_be32(scratch + 4);
        l->fst_size = bt_be32(scratch + 8);
        l->step = STEP_SECTIONS;
        scratch_read(l, l->dol_offset & ~3u, BT_DOL_HEADER_SIZE, next);
        return 1;
    case STEP_SECTIONS:
        if (l->section == 0) {
            for (i = 0; i < BT_DOL_HEADER_SIZE; ++i) l->dol_header[i] = scratch[i];
            l->entry = bt_be32(l->dol_header + KF_DOL_ENTRY_POINT_AT);
            l->bss_address = bt_be32(l->dol_header + KF_DOL_BSS_ADDRESS_AT);
            l->bss_size = bt_be32(l->dol_header + KF_DOL_BSS_SIZE_AT);
        }
        while (l->section < BT_DOL_SECTIONS) {
            const uint32_t k = (uint32_t)l->section++;
            const uint32_t file_offset = bt_be32(l->dol_header + 4 * k);
            const uint32_t address = bt_be32(l->dol_header + KF_DOL_LOAD_ADDRESSES_AT + 4 * k);
            const uint32_t size = bt_be32(l->dol_header + KF_DOL_SIZES_AT + 4 * k);
            if (size == 0) continue;
            if (!section_ok(address, size, l->dol_offset, file_offset)) {
                /* Nothing more is read: the program will not be started. */
                l->failed = 1;
                l->fst_size = 0;
                l->step = STEP_DONE;
                scratch_read(l, BT_DISC_HEADER_WORDS, 32, next);
                return 0;
            }
            l->loaded |= 1u << k;
            next->address = address;
            next->length = bt_round_up32(size);
            next->offset = l->dol_offset + file_offset;
            return 1;
        }
        l->step = STEP_FST;
        /* fall through */
    case STEP_FST:
        l->step = STEP_DONE;
        if (l->fst_size != 0 && l->fst_size <= BT_FST_MAX_SIZE && l->fst_offset % 4u == 0) {
            l->fst_address = (BT_FST_CEILING - bt_round_up32(l->fst_size)) & ~31u;
            next->address = l->fst_address;
            next->length = bt_round_up32(l->fst_size);
            next->offset = l->fst_offset;
            return 1;
        }
        l->fst_size = 0;
        /* fall through */
    default: scratch_read(l, BT_DISC_HEADER_WORDS, 32, next); return 0;
    }
}

void bt_loader_close_plan(const bt_loader* l, bt_close_plan* plan) {
    uint32_t k;
    int entry_loaded = 0;
    plan->start = 0;
    plan->entry = l->entry;
    plan->section_count = 0;
    plan->bss.address = plan->bss.length = 0;
    for (k = 0; k < BT_DOL_SECTIONS; ++k) {
        const uint32_t address = bt_be32(l->dol_header + KF_DOL_LOAD_ADDRESSES_AT + 4 * k);
        const uint32_t size = bt_be32(l->dol_header + KF_DOL_SIZES_AT + 4 * k);
        if (!(l->loaded & 1u << k)) continue;
        plan->sections[plan->section_count].address = address;
        plan->sections[plan->section_count].length = size;
        ++plan->section_count;
        if (k < BT_DOL_TEXT_SECTIONS && l->entry >= address && l->entry - address < size) entry_loaded = 1;
    }
    if (l->failed || !entry_loaded || (l->bss_size != 0 && !inside_program_area(l->bss_address, l->bss_size))) {
        plan->section_count = 0;
        return;
    }
    plan->start = 1;
    if (l->bss_size != 0) {
        plan->bss.address = l->bss_address;
        plan->bss.length = l->bss_size;
    }
}
