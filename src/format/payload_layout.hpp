// Sizes and fixed places of the blobs that every image carries. Shared by the
// blob generator (tools/) and the tool itself, so both agree byte for byte.
#pragma once

#include <cstdint>

#include "format/console_layout.h"

namespace kessra {

inline constexpr std::uint32_t APPLOADER_SIZE = KF_LOADER_SIZE;            // 111,844 bytes
inline constexpr std::uint32_t PROGRAM_IMAGE_SIZE = KF_PROGRAM_IMAGE_SIZE; // 1,896,352 bytes
inline constexpr std::uint32_t SKIN_SIZE = 0x85040;                        // 544,832 bytes, each of the four
inline constexpr std::uint32_t BANNER_SIZE = 0x1960;                       // 6,496 bytes
inline constexpr int SKIN_COUNT = 4;

// Loader header (32 bytes): 0x00 date text (16 bytes), 0x10 be32 entry point,
// 0x14 be32 code size, 0x18 be32 trailer size, 0x1C reserved word.
inline constexpr std::uint32_t APPLOADER_HEADER_SIZE = KF_LOADER_HEADER_SIZE;
inline constexpr std::uint32_t APPLOADER_DATE_FIELD = 0x00;
inline constexpr std::uint32_t APPLOADER_DATE_SIZE = 16;
inline constexpr std::uint32_t APPLOADER_ENTRY_FIELD = 0x10;
inline constexpr std::uint32_t APPLOADER_CODE_SIZE_FIELD = 0x14;
inline constexpr std::uint32_t APPLOADER_TRAILER_SIZE_FIELD = 0x18;
inline constexpr std::uint32_t APPLOADER_RESERVED_FIELD = 0x1C;
inline constexpr std::uint32_t APPLOADER_ENTRY_POINT = KF_LOADER_ENTRY_POINT;
inline constexpr std::uint32_t APPLOADER_CODE_SIZE = KF_LOADER_CODE_SIZE;
inline constexpr std::uint32_t APPLOADER_TRAILER_SIZE = 0x1B8B0;

// An extractor writes the loader at the length its header announces: the
// 32-byte header, the code and the trailer. Past APPLOADER_SIZE those bytes
// are the start of the program image, which follows the loader on the disc.
inline constexpr std::uint32_t APPLOADER_ANNOUNCED_SIZE =
    APPLOADER_HEADER_SIZE + APPLOADER_CODE_SIZE + APPLOADER_TRAILER_SIZE; // 0x1D224
static_assert(APPLOADER_ANNOUNCED_SIZE == 0x1D224);
static_assert(APPLOADER_ANNOUNCED_SIZE - APPLOADER_SIZE <= PROGRAM_IMAGE_SIZE);

// Program image (DOL): one text section from file offset 0x100 to the end.
inline constexpr std::uint32_t DOL_HEADER_SIZE = KF_DOL_HEADER_SIZE;
inline constexpr std::uint32_t DOL_TEXT_LOAD_ADDRESS = KF_PROGRAM_TEXT_ADDRESS;
inline constexpr std::uint32_t DOL_TEXT_SIZE = PROGRAM_IMAGE_SIZE - DOL_HEADER_SIZE; // 0x1CEEA0
inline constexpr std::uint32_t DOL_ENTRY_POINT = KF_PROGRAM_ENTRY_POINT;

// Patch points, as offsets inside the program image: where the loaded text
// section puts them in memory, counted from the start of the file.
inline constexpr std::uint32_t dol_offset_of(std::uint32_t address) {
    return address - DOL_TEXT_LOAD_ADDRESS + DOL_HEADER_SIZE;
}
inline constexpr std::uint32_t MENU_TABLE_DOL_OFFSET = dol_offset_of(KF_MENU_TABLE_ADDRESS);
inline constexpr std::uint32_t MENU_SLOT_SIZE = KF_MENU_SLOT_SIZE;
inline constexpr std::uint32_t MENU_SLOT_COUNT = KF_MENU_SLOT_COUNT;
inline constexpr std::uint32_t SKIN_DIGIT_DOL_OFFSET = dol_offset_of(KF_SKIN_DIGIT_ADDRESS);
inline constexpr std::uint32_t ZOOM_DIGIT_DOL_OFFSET = dol_offset_of(KF_ZOOM_DIGIT_ADDRESS);
inline constexpr std::uint32_t SETTING_FIELD_SIZE = KF_SETTING_FIELD_SIZE;

static_assert(MENU_TABLE_DOL_OFFSET + MENU_SLOT_COUNT * MENU_SLOT_SIZE == SKIN_DIGIT_DOL_OFFSET,
              "the menu table ends where the skin setting begins");
static_assert(SKIN_DIGIT_DOL_OFFSET + SETTING_FIELD_SIZE == ZOOM_DIGIT_DOL_OFFSET);
static_assert(ZOOM_DIGIT_DOL_OFFSET + SETTING_FIELD_SIZE <= PROGRAM_IMAGE_SIZE);

// Skin textures (TPL).
inline constexpr std::uint32_t TPL_MAGIC = KF_TPL_MAGIC;
inline constexpr std::uint32_t TPL_DATA_OFFSET = KF_TPL_DATA_OFFSET;
inline constexpr std::uint16_t SKIN_HEIGHT = 448;
inline constexpr std::uint16_t CMPR_SKIN_WIDTH = 640;
inline constexpr std::uint16_t RGB565_SKIN_WIDTH = 608;
inline constexpr std::uint32_t TPL_FORMAT_RGB565 = KF_TPL_FORMAT_RGB565;
inline constexpr std::uint32_t TPL_FORMAT_CMPR = KF_TPL_FORMAT_CMPR;

// Banner (BNR1): 96 x 32 RGB5A3 picture and five text fields.
inline constexpr std::uint32_t BANNER_MAGIC_OFFSET = 0x00; // "BNR1"
inline constexpr std::uint32_t BANNER_PICTURE_OFFSET = 0x20;
inline constexpr std::uint32_t BANNER_WIDTH = 96;
inline constexpr std::uint32_t BANNER_HEIGHT = 32;
inline constexpr std::uint32_t BANNER_SHORT_TITLE_OFFSET = 0x1820; // 32 bytes
inline constexpr std::uint32_t BANNER_SHORT_MAKER_OFFSET = 0x1840; // 32 bytes
inline constexpr std::uint32_t BANNER_LONG_TITLE_OFFSET = 0x1860;  // 64 bytes
inline constexpr std::uint32_t BANNER_LONG_MAKER_OFFSET = 0x18A0;  // 64 bytes
inline constexpr std::uint32_t BANNER_DESCRIPTION_OFFSET = 0x18E0; // 128 bytes

} // namespace kessra
