// The seven blobs of a payload set by number, with the names that disc tools
// give them in an extracted disc folder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "format/disc_format.hpp"
#include "payloads/payloads.hpp"

namespace kessra {

inline constexpr std::size_t PAYLOAD_COUNT = 7;
inline constexpr std::size_t LOADER_BLOB = 0;
inline constexpr std::size_t PROGRAM_BLOB = 1;
inline constexpr std::size_t FIRST_SKIN_BLOB = 2; // skins 0 to 3 are blobs 2 to 5
inline constexpr std::size_t BANNER_BLOB = 6;

struct PayloadFile {
    const char* name;   // the file's own name ("main.dol", "F_00.tpl"), as on the disc
    const char* folder; // its folder in an extracted disc folder: "sys" or "files"
    std::uint32_t size; // its length in a payload set
};

// The skins and the banner under the names the image's table gives them.
inline constexpr std::array<PayloadFile, PAYLOAD_COUNT> PAYLOAD_FILES{{
    {"apploader.img", "sys", APPLOADER_SIZE},
    {"main.dol", "sys", PROGRAM_IMAGE_SIZE},
    {SKIN_FILE_NAMES[0].data(), "files", SKIN_SIZE},
    {SKIN_FILE_NAMES[1].data(), "files", SKIN_SIZE},
    {SKIN_FILE_NAMES[2].data(), "files", SKIN_SIZE},
    {SKIN_FILE_NAMES[3].data(), "files", SKIN_SIZE},
    {BANNER_FILE_NAME.data(), "files", BANNER_SIZE},
}};

// "files/F_00.tpl": the file's place in an extracted disc folder.
inline std::string payload_folder_path(const PayloadFile& file) { return std::string(file.folder) + "/" + file.name; }

inline Blob payload_blob(const PayloadSet& set, std::size_t blob) {
    if (blob == LOADER_BLOB) return set.apploader_blob;
    if (blob == PROGRAM_BLOB) return set.program_image;
    if (blob == BANNER_BLOB) return set.banner_blob;
    return set.skin_blob[blob - FIRST_SKIN_BLOB];
}

inline void set_payload_blob(PayloadSet& set, std::size_t blob, Blob bytes) {
    if (blob == LOADER_BLOB) set.apploader_blob = bytes;
    else if (blob == PROGRAM_BLOB) set.program_image = bytes;
    else if (blob == BANNER_BLOB) set.banner_blob = bytes;
    else set.skin_blob[blob - FIRST_SKIN_BLOB] = bytes;
}

} // namespace kessra
