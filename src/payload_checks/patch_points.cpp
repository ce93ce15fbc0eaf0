#include "payload_checks/patch_points.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kessra {

namespace {

struct SettingField {
    const char* name;
    std::uint32_t offset;
    const char* word; // what follows the digit, NUL-padded to the field's end
    char highest;     // the highest digit a build writes
};

constexpr SettingField SETTING_FIELDS[] = {
    {"skin setting", SKIN_DIGIT_DOL_OFFSET, "SKIN", '3'},
    {"zoom setting", ZOOM_DIGIT_DOL_OFFSET, "ZOOM", '2'},
};

std::array<std::uint8_t, 3> three_digits(std::uint32_t number) {
    return {static_cast<std::uint8_t>('0' + number / 100 % 10), static_cast<std::uint8_t>('0' + number / 10 % 10),
            static_cast<std::uint8_t>('0' + number % 10)};
}

std::array<std::uint8_t, SETTING_FIELD_SIZE> carried_setting(const SettingField& field) {
    std::array<std::uint8_t, SETTING_FIELD_SIZE> bytes{};
    bytes[0] = '0';
    std::memcpy(bytes.data() + 1, field.word, std::strlen(field.word));
    return bytes;
}

std::size_t slot_offset(std::uint32_t number) { return MENU_TABLE_DOL_OFFSET + (number - 1) * MENU_SLOT_SIZE; }

} // namespace

SlotKind classify_slot(std::span<const std::uint8_t, MENU_SLOT_SIZE> slot, std::uint32_t number) {
    if (std::all_of(slot.begin(), slot.end(), [](std::uint8_t b) { return b == 0; })) return SlotKind::empty;
    const MenuSlot placeholder = placeholder_slot(number);
    if (std::equal(slot.begin(), slot.end(), placeholder.begin())) return SlotKind::placeholder;
    // "%03d %s": the slot's own number, a space, the title, zeros to the end.
    const auto digits = three_digits(number);
    if (!std::equal(digits.begin(), digits.end(), slot.begin()) || slot[3] != ' ') return SlotKind::garbled;
    const auto title_end = std::find(slot.begin() + 4, slot.end(), std::uint8_t{0});
    if (title_end == slot.end()) return SlotKind::garbled; // the last byte is always the NUL
    const bool zero_after = std::all_of(title_end, slot.end(), [](std::uint8_t b) { return b == 0; });
    return zero_after ? SlotKind::title : SlotKind::garbled;
}

void check_patch_points(Blob program, const std::string& file, std::vector<PayloadProblem>& problems) {
    if (program.size() != PROGRAM_IMAGE_SIZE) return;
    for (std::uint32_t number = 1; number <= MENU_SLOT_COUNT; ++number) {
        const auto slot = program.subspan(slot_offset(number)).first<MENU_SLOT_SIZE>();
        if (classify_slot(slot, number) != SlotKind::garbled) continue;
        const MenuSlot placeholder = placeholder_slot(number);
        std::string expected = quoted(placeholder);
        expected += ", \"";
        expected.append(reinterpret_cast<const char*>(placeholder.data()) + 12, 3);
        expected += " TITLE\" with zeros to the end, or 16 zero bytes";
        problems.push_back({PROGRAM_BLOB, file, "menu slot " + std::to_string(number), slot_offset(number),
                            std::move(expected), quoted(slot)});
    }
    for (const SettingField& field : SETTING_FIELDS) {
        const Blob found = program.subspan(field.offset, SETTING_FIELD_SIZE);
        const auto carried = carried_setting(field);
        const bool digit_ok = found[0] >= '0' && found[0] <= field.highest;
        if (digit_ok && std::equal(found.begin() + 1, found.end(), carried.begin() + 1)) continue;
        std::string expected = "a digit 0 to ";
        expected += field.highest;
        expected += ", then ";
        expected += quoted(Blob(carried).subspan(1));
        problems.push_back({PROGRAM_BLOB, file, field.name, field.offset, std::move(expected), quoted(found)});
    }
}

void restore_patch_points(std::span<std::uint8_t> program) {
    if (program.size() != PROGRAM_IMAGE_SIZE) return;
    for (std::uint32_t number = 1; number <= MENU_SLOT_COUNT; ++number) {
        const MenuSlot placeholder = placeholder_slot(number);
        std::copy(placeholder.begin(), placeholder.end(),
                  program.begin() + static_cast<std::ptrdiff_t>(slot_offset(number)));
    }
    for (const SettingField& field : SETTING_FIELDS) program[field.offset] = '0';
}

std::vector<std::uint8_t> restored_program(Blob program) {
    std::vector<std::uint8_t> copy(program.begin(), program.end());
    restore_patch_points(copy);
    return copy;
}

bool is_builtin_blob(std::size_t blob, Blob bytes, const PayloadSet& builtin) {
    const Blob reference = payload_blob(builtin, blob);
    if (blob == LOADER_BLOB) {
        if (bytes.size() != APPLOADER_SIZE && bytes.size() != APPLOADER_ANNOUNCED_SIZE) return false;
        const Blob used = loader_in_use(bytes);
        return std::equal(used.begin(), used.end(), reference.begin(), reference.end());
    }
    if (blob == PROGRAM_BLOB) {
        if (bytes.size() != reference.size()) return false;
        const std::vector<std::uint8_t> restored = restored_program(bytes);
        return std::equal(restored.begin(), restored.end(), reference.begin());
    }
    return std::equal(bytes.begin(), bytes.end(), reference.begin(), reference.end());
}

} // namespace kessra
