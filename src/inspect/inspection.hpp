// What `kessra inspect` finds in an image: the facts it shows and the
// problems it reports. Filled by inspect_image, printed as text or JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disc_reader/byte_source.hpp"
#include "disc_reader/file_table.hpp"
#include "emu/save.hpp"
#include "payloads/payloads.hpp"

namespace kessra {

enum class PayloadState { builtin, foreign, invalid, missing };

struct PayloadFinding {
    std::string name;         // "loader", "program image", "F_00.tpl", ...
    std::uint64_t offset = 0; // in the image
    std::uint64_t size = 0;
    PayloadState state = PayloadState::missing;
    std::vector<std::string> problems; // the checks it fails
};

struct SettingFinding {
    std::uint8_t byte = 0; // as found
    int value = -1;        // the digit's value, -1 when out of range
    std::string label;     // the menu label it stands for
};

struct MenuLine {
    std::uint32_t number = 0; // 1-based slot number
    std::string title;        // as the slot shows it
    std::string rom;          // the ROM's path in the image
    std::uint32_t rom_size = 0;
    std::string file_name;                  // the ROM's original file name, from its index file
    std::uint32_t rom_entry = 0;            // the ROM's entry in the table
    std::optional<emu::SaveType> save_chip; // with deep: the chip its save library names
};

struct Inspection {
    std::string image;        // as the user named it
    std::uint64_t length = 0; // of the image file
    std::optional<DiscHeader> header;
    std::optional<FileTable> table;
    bool this_layout = false;      // built with this tool's layout
    std::string layout_note;       // why not, when it is not
    std::uint64_t content_end = 0; // end of the last sector that holds the table or a file
    std::string padded_to;         // medium the length matches, empty when not padded
    std::vector<PayloadFinding> payloads;
    std::optional<SettingFinding> skin;
    std::optional<SettingFinding> zoom;
    std::vector<MenuLine> menu;
    std::uint32_t empty_slots = 0;
    std::uint32_t placeholder_slots = 0;
    bool deep = false;
    std::vector<std::optional<std::uint32_t>> crc32; // per table entry, with deep; none for folders
    std::vector<std::string> problems;               // one line each, naming the offset or file
    std::uint64_t problems_not_shown = 0;            // while checking: lines beyond the shown ones

    bool consistent() const { return problems.empty(); }
};

// Reads and checks an image. Reads only the boot area, the table, the menu,
// the payload files, the index files, the ROM headers and samples of the
// padding; with `deep` also every file, for its CRC32.
Inspection inspect_image(ByteSource& source, const PayloadSet& builtin, bool deep);

// The parts, also used on their own by the tests.
void check_header_words(const DiscHeader& header, Inspection& found);
void check_table_files(const FileTable& table, Inspection& found);
void check_layout_files(const FileTable& table, Inspection& found);
void check_payloads(ByteSource& source, const PayloadSet& builtin, Inspection& found);
void check_menu_and_roms(ByteSource& source, const FileTable& table, Inspection& found);
void check_padding(ByteSource& source, Inspection& found);
void hash_files(ByteSource& source, Inspection& found);

std::string payload_state_name(PayloadState state);

} // namespace kessra
