// The program image's patch points: the game menu table and the two start-up
// settings. A program image taken from a built image carries a filled menu
// and chosen settings; restoring brings them back to the carried form.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "format/menu_table.hpp"
#include "payload_checks/payload_checks.hpp"

namespace kessra {

enum class SlotKind { placeholder, title, empty, garbled };

// What slot `number` holds: its own placeholder, a "NNN TITLE" slot as a
// build writes it for that number (up to 11 non-NUL title bytes, zeros to
// the end), all zeros, or anything else.
SlotKind classify_slot(std::span<const std::uint8_t, MENU_SLOT_SIZE> slot, std::uint32_t number);

// Problems of the menu table and the settings fields of a program image.
void check_patch_points(Blob program, const std::string& file, std::vector<PayloadProblem>& problems);

// Every menu slot back to its placeholder and both settings digits back to
// '0'. The program image must be PROGRAM_IMAGE_SIZE bytes.
void restore_patch_points(std::span<std::uint8_t> program);

// A copy of a program image with its patch points restored.
std::vector<std::uint8_t> restored_program(Blob program);

// True when `bytes`, with the loader cut to its used part and the program's
// patch points restored, equals the built-in blob of that number.
bool is_builtin_blob(std::size_t blob, Blob bytes, const PayloadSet& builtin);

} // namespace kessra
