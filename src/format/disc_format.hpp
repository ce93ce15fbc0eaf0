// The disc image format: sector size, the disc header fields and the fixed
// places of the boot area and the emulator's patch points.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "format/console_layout.h"
#include "format/payload_layout.hpp"

namespace kessra {

inline constexpr std::uint32_t SECTOR_SIZE = 2048;

// Disc header block, 0x2440 bytes, all zero but for:
inline constexpr std::uint32_t DISC_HEADER_SIZE = 0x2440;
inline constexpr std::uint32_t DISC_ID_OFFSET = 0x000;                   // 6 bytes, "D89E01", no terminator
inline constexpr std::uint32_t DISC_MAGIC_OFFSET = 0x01C;                // be32 0xC2339F3D
inline constexpr std::uint32_t VOLUME_LABEL_OFFSET = KF_VOLUME_LABEL_AT; // label bytes, zeros after them
inline constexpr std::uint32_t VOLUME_LABEL_SIZE = KF_VOLUME_LABEL_SIZE; // the field ends at 0x400
inline constexpr std::uint32_t HEADER_WORDS_OFFSET = KF_HEADER_WORDS_AT; // the four words below
inline constexpr std::uint32_t PROGRAM_IMAGE_OFFSET_FIELD = KF_HEADER_PROGRAM_IMAGE_AT; // be32, 0x420
inline constexpr std::uint32_t FST_OFFSET_FIELD = KF_HEADER_FST_OFFSET_AT;              // be32, 0x424
inline constexpr std::uint32_t FST_SIZE_FIELD = KF_HEADER_FST_SIZE_AT;                  // be32, 0x428
inline constexpr std::uint32_t FST_MAX_SIZE_FIELD = KF_HEADER_FST_MAX_SIZE_AT;          // be32, 0x42C
inline constexpr std::uint32_t HEADER_WORDS_SIZE = KF_HEADER_WORDS_SIZE;
static_assert(PROGRAM_IMAGE_OFFSET_FIELD == HEADER_WORDS_OFFSET && FST_OFFSET_FIELD == HEADER_WORDS_OFFSET + 4 &&
              FST_SIZE_FIELD == HEADER_WORDS_OFFSET + 8 && FST_MAX_SIZE_FIELD == HEADER_WORDS_OFFSET + 12 &&
              HEADER_WORDS_SIZE == 16);
static_assert(VOLUME_LABEL_OFFSET + VOLUME_LABEL_SIZE <= HEADER_WORDS_OFFSET);
// The other console family's discs carry their magic word at 0x18 instead.
inline constexpr std::uint32_t WII_MAGIC_OFFSET = 0x018; // be32 0x5D1C9EA3
inline constexpr std::uint32_t WII_MAGIC = 0x5D1C9EA3;
inline constexpr char DISC_ID[] = "D89E01";
inline constexpr std::uint32_t DISC_MAGIC = 0xC2339F3D;

// Boot area regions.
inline constexpr std::uint32_t LOADER_OFFSET = DISC_HEADER_SIZE; // 0x2440
inline constexpr std::uint32_t PROGRAM_IMAGE_OFFSET = 0x1D924;
inline constexpr std::uint32_t FST_OFFSET = 0x1EC8C4; // end of the boot area
static_assert(LOADER_OFFSET + APPLOADER_SIZE == PROGRAM_IMAGE_OFFSET);
static_assert(PROGRAM_IMAGE_OFFSET + PROGRAM_IMAGE_SIZE == FST_OFFSET);
static_assert(259 < VOLUME_LABEL_SIZE, "a label always fits its field with a terminator");

// The emulator's menu table and settings digits, as image offsets.
inline constexpr std::uint32_t MENU_TABLE_OFFSET = 0x1D9E4C;
inline constexpr std::uint32_t SKIN_DIGIT_OFFSET = 0x1DBE4C;
inline constexpr std::uint32_t ZOOM_DIGIT_OFFSET = 0x1DBE54;
static_assert(MENU_TABLE_OFFSET == PROGRAM_IMAGE_OFFSET + MENU_TABLE_DOL_OFFSET);
static_assert(SKIN_DIGIT_OFFSET == PROGRAM_IMAGE_OFFSET + SKIN_DIGIT_DOL_OFFSET);
static_assert(ZOOM_DIGIT_OFFSET == PROGRAM_IMAGE_OFFSET + ZOOM_DIGIT_DOL_OFFSET);

// File system table capacities.
inline constexpr std::uint32_t FST_ENTRY_SIZE = 12;
inline constexpr std::uint32_t FST_MAX_ENTRIES = 512;
inline constexpr std::uint32_t FST_STRING_TABLE_SIZE = 8192;
inline constexpr std::uint32_t FST_DIRECTORY_FLAG = 0x01000000; // type byte 1 in word 0

inline constexpr std::uint32_t INDEX_FILE_SIZE = SECTOR_SIZE;

// Names in the file system table: the ROMs' folder, the skins and the banner
// at the root.
inline constexpr std::string_view ROM_FOLDER_NAME = "roms";
inline constexpr std::array<std::string_view, SKIN_COUNT> SKIN_FILE_NAMES{"F_00.tpl", "F_01.tpl", "F_02.tpl",
                                                                          "F_03.tpl"};
inline constexpr std::string_view BANNER_FILE_NAME = "opening.bnr";

inline constexpr std::uint64_t round_up_to_sector(std::uint64_t offset) {
    return (offset + SECTOR_SIZE - 1) / SECTOR_SIZE * SECTOR_SIZE;
}

} // namespace kessra
