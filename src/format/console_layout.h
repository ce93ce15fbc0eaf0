/* The facts of the disc that the console code and the tool share: the
   header words, the DOL and TPL layouts and where the emulator program keeps
   its menu table and settings. Plain C (C99 and C++20), so boot/ and src/
   read the same numbers. Every offset is in bytes from the start of its
   structure; every word is big-endian. */
#ifndef KESSRA_FORMAT_CONSOLE_LAYOUT_H
#define KESSRA_FORMAT_CONSOLE_LAYOUT_H

/* The console's linker scripts are run through the C preprocessor with this
   header (KF_LINKER_SCRIPT defined); they take numbers without a suffix. */
#ifdef KF_LINKER_SCRIPT
#define KF_U32(n) n
#else
#define KF_U32(n) n##u
#endif

/* Disc header: the volume label field and the four header words. */
#define KF_VOLUME_LABEL_AT 0x020u   /* label bytes, zeros after them */
#define KF_VOLUME_LABEL_SIZE 0x3E0u /* the field ends at 0x400 */
#define KF_HEADER_WORDS_AT 0x420u
#define KF_HEADER_PROGRAM_IMAGE_AT 0x420u /* program image (DOL) offset */
#define KF_HEADER_FST_OFFSET_AT 0x424u    /* file system table offset */
#define KF_HEADER_FST_SIZE_AT 0x428u      /* its size */
#define KF_HEADER_FST_MAX_SIZE_AT 0x42Cu  /* its largest size on any disc of the set */
#define KF_HEADER_WORDS_SIZE 16u

/* DOL header, 0x100 bytes: seven text and eleven data sections, each with a
   file offset, a load address and a size, in three tables; then the BSS and
   the entry point. */
#define KF_DOL_HEADER_SIZE KF_U32(0x100)
#define KF_DOL_TEXT_SECTIONS 7
#define KF_DOL_DATA_SECTIONS 11
#define KF_DOL_SECTIONS 18
#define KF_DOL_FILE_OFFSETS_AT 0x00u /* 18 words: text 0..6, then data 0..10 */
#define KF_DOL_LOAD_ADDRESSES_AT 0x48u
#define KF_DOL_SIZES_AT 0x90u
#define KF_DOL_BSS_ADDRESS_AT 0xD8u
#define KF_DOL_BSS_SIZE_AT 0xDCu
#define KF_DOL_ENTRY_POINT_AT 0xE0u
#define KF_DOL_RESERVED_AT 0xE4u /* zeros up to the end of the header */

/* The emulator program: one text section loaded at the text address, its
   entry stub, and the menu table and the two settings it is patched at. */
#define KF_PROGRAM_TEXT_ADDRESS KF_U32(0x80003100)
#define KF_PROGRAM_ENTRY_POINT KF_U32(0x800A20A0)
#define KF_PROGRAM_IMAGE_SIZE KF_U32(0x1CEFA0)   /* the DOL file, header included */
#define KF_MENU_TABLE_ADDRESS KF_U32(0x801BF528) /* 512 slots of 16 bytes */
#define KF_SKIN_DIGIT_ADDRESS 0x801C1528u        /* 8 bytes, an ASCII digit then zeros */
#define KF_ZOOM_DIGIT_ADDRESS 0x801C1530u        /* 8 bytes, the same */
#define KF_MENU_SLOT_SIZE KF_U32(16)
#define KF_MENU_SLOT_COUNT KF_U32(512)
#define KF_SETTING_FIELD_SIZE KF_U32(8)

/* TPL texture file holding one image and no palette: the file header, the
   image table (one entry: image header offset, palette header offset), the
   image header, then the texels from KF_TPL_DATA_OFFSET. */
#define KF_TPL_MAGIC 0x0020AF30u
#define KF_TPL_MAGIC_AT 0x00u
#define KF_TPL_IMAGE_COUNT_AT 0x04u
#define KF_TPL_IMAGE_TABLE_AT 0x08u /* holds KF_TPL_IMAGE_TABLE */
#define KF_TPL_IMAGE_TABLE 0x0Cu
#define KF_TPL_IMAGE_HEADER_AT 0x0Cu   /* table entry 0: holds KF_TPL_IMAGE_HEADER */
#define KF_TPL_PALETTE_HEADER_AT 0x10u /* table entry 0: 0, no palette */
#define KF_TPL_IMAGE_HEADER 0x14u
#define KF_TPL_HEIGHT_AT 0x14u /* 16 bits */
#define KF_TPL_WIDTH_AT 0x16u  /* 16 bits */
#define KF_TPL_FORMAT_AT 0x18u
#define KF_TPL_DATA_AT 0x1Cu /* holds KF_TPL_DATA_OFFSET */
#define KF_TPL_WRAP_S_AT 0x20u
#define KF_TPL_WRAP_T_AT 0x24u
#define KF_TPL_MIN_FILTER_AT 0x28u /* 1: linear */
#define KF_TPL_MAG_FILTER_AT 0x2Cu /* 1: linear */
#define KF_TPL_LOD_BIAS_AT 0x30u
#define KF_TPL_EDGE_LOD_AT 0x34u /* bytes: edge LOD enable, min LOD, max LOD, unpacked */
#define KF_TPL_MIN_LOD_AT 0x35u
#define KF_TPL_MAX_LOD_AT 0x36u
#define KF_TPL_UNPACKED_AT 0x37u
#define KF_TPL_RESERVED_AT 0x38u /* zeros up to the texels */
#define KF_TPL_DATA_OFFSET 0x40u
#define KF_TPL_FORMAT_RGB565 4u
#define KF_TPL_FORMAT_CMPR 14u

/* The boot loader blob: a 32-byte header, then its code loaded at the load
   address with the entry function at the entry point; the blob has a fixed
   length. */
#define KF_LOADER_HEADER_SIZE KF_U32(0x20)
#define KF_LOADER_LOAD_ADDRESS KF_U32(0x81200000)
#define KF_LOADER_ENTRY_POINT KF_U32(0x81200258)
#define KF_LOADER_CODE_SIZE KF_U32(0x1954)
#define KF_LOADER_SIZE KF_U32(0x1B4E4)

/* Handheld ROM header, where the menu takes a game's title, code and maker from. */
#define KF_ROM_TITLE_AT 0xA0u     /* 12 bytes */
#define KF_ROM_GAME_CODE_AT 0xACu /* 4 bytes */
#define KF_ROM_MAKER_AT 0xB0u     /* 2 bytes */
#define KF_ROM_HEADER_SIZE 0xC0u  /* the cartridge header, all of the above included */

#endif
