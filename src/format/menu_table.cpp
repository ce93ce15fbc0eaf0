#include "format/menu_table.hpp"

#include <algorithm>
#include <cstdio>
#include <string>

namespace kessra {

namespace {

void put_three_digits(MenuSlot& slot, std::size_t at, std::uint32_t number) {
    slot[at] = static_cast<std::uint8_t>('0' + number / 100 % 10);
    slot[at + 1] = static_cast<std::uint8_t>('0' + number / 10 % 10);
    slot[at + 2] = static_cast<std::uint8_t>('0' + number % 10);
}

} // namespace

MenuSlot make_menu_slot(std::uint32_t rom_number, std::string_view title) {
    MenuSlot slot{};
    const std::string text_title(title.substr(0, std::min(title.size(), MENU_TITLE_LENGTH)));
    char text[MENU_SLOT_SIZE + 16];
    const int length = std::snprintf(text, sizeof text, "%03u %.11s", rom_number, text_title.c_str());
    const auto used = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), MENU_SLOT_SIZE - 1);
    std::copy_n(text, used, slot.begin());
    return slot;
}

MenuSlot placeholder_slot(std::uint32_t number) {
    constexpr std::string_view prefix = "000 GAMENUMB";
    MenuSlot slot{};
    std::copy(prefix.begin(), prefix.end(), slot.begin());
    put_three_digits(slot, prefix.size(), number);
    return slot;
}

} // namespace kessra
