// Sizes and fixed places of the blobs that every image carries. Shared by the
// blob generator (tools/) and the tool itself, so both agree byte for byte.
#pragma once

#include <cstdint>

namespace kessra {

inline constexpr std::uint32_t APPLOADER_SIZE = 0x1B4E4;      // 111,844 bytes
inline constexpr std::uint32_t PROGRAM_IMAGE_SIZE = 0x1CEFA0; // 1,896,352 bytes
inline constexpr std::uint32_t SKIN_SIZE = 0x85040;           // 544,832 bytes, each of the four
inline constexpr std::uint32_t BANNER_SIZE = 0x1960;          // 6,496 bytes
inline constexpr int SKIN_COUNT = 4;

// Loader header (32 bytes): date text, entry point, code size, trailer size.
inline constexpr std::uint32_t APPLOADER_ENTRY_POINT = 0x81200258;
inline constexpr std::uint32_t APPLOADER_CODE_SIZE = 0x1954;
inline constexpr std::uint32_t APPLOADER_TRAILER_SIZE = 0x1B8B0;

// Program image (DOL): one text section from file offset 0x100 to the end.
inline constexpr std::uint32_t DOL_HEADER_SIZE = 0x100;
inline constexpr std::uint32_t DOL_TEXT_LOAD_ADDRESS = 0x80003100;
inline constexpr std::uint32_t DOL_TEXT_SIZE = PROGRAM_IMAGE_SIZE - DOL_HEADER_SIZE; // 0x1CEEA0
inline constexpr std::uint32_t DOL_ENTRY_POINT = 0x800A20A0;

// Patch points, as offsets inside the program image.
inline constexpr std::uint32_t MENU_TABLE_DOL_OFFSET = 0x1BC528;
inline constexpr std::uint32_t MENU_SLOT_SIZE = 16;
inline constexpr std::uint32_t MENU_SLOT_COUNT = 512;
inline constexpr std::uint32_t SKIN_DIGIT_DOL_OFFSET = 0x1BE528;
inline constexpr std::uint32_t ZOOM_DIGIT_DOL_OFFSET = 0x1BE530;
inline constexpr std::uint32_t SETTING_FIELD_SIZE = 8;

static_assert(MENU_TABLE_DOL_OFFSET + MENU_SLOT_COUNT * MENU_SLOT_SIZE == SKIN_DIGIT_DOL_OFFSET,
              "the menu table ends where the skin setting begins");
static_assert(SKIN_DIGIT_DOL_OFFSET + SETTING_FIELD_SIZE == ZOOM_DIGIT_DOL_OFFSET);
static_assert(ZOOM_DIGIT_DOL_OFFSET + SETTING_FIELD_SIZE <= PROGRAM_IMAGE_SIZE);

// Skin textures (TPL).
inline constexpr std::uint32_t TPL_MAGIC = 0x0020AF30;
inline constexpr std::uint32_t TPL_DATA_OFFSET = 0x40;
inline constexpr std::uint16_t SKIN_HEIGHT = 448;
inline constexpr std::uint16_t CMPR_SKIN_WIDTH = 640;
inline constexpr std::uint16_t RGB565_SKIN_WIDTH = 608;
inline constexpr std::uint32_t TPL_FORMAT_RGB565 = 4;
inline constexpr std::uint32_t TPL_FORMAT_CMPR = 14;

// Banner (BNR1): 96 x 32 RGB5A3 picture and five text fields.
inline constexpr std::uint32_t BANNER_PICTURE_OFFSET = 0x20;
inline constexpr std::uint32_t BANNER_WIDTH = 96;
inline constexpr std::uint32_t BANNER_HEIGHT = 32;
inline constexpr std::uint32_t BANNER_SHORT_TITLE_OFFSET = 0x1820;  // 32 bytes
inline constexpr std::uint32_t BANNER_SHORT_MAKER_OFFSET = 0x1840;  // 32 bytes
inline constexpr std::uint32_t BANNER_LONG_TITLE_OFFSET = 0x1860;   // 64 bytes
inline constexpr std::uint32_t BANNER_LONG_MAKER_OFFSET = 0x18A0;   // 64 bytes
inline constexpr std::uint32_t BANNER_DESCRIPTION_OFFSET = 0x18E0;  // 128 bytes

} // namespace kessra
