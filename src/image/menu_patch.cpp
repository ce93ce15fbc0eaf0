#include "image/menu_patch.hpp"

namespace kessra {

Status patch_menu_table(File& image, const RomTable& roms, std::uint32_t menu_limit) {
    if (roms.size() > MENU_SLOT_COUNT) {
        return Status::failure(image.name + ": " + std::to_string(roms.size()) + " ROMs do not fit the " +
                               std::to_string(MENU_SLOT_COUNT) + "-slot game menu");
    }
    if (Status status = seek_to(image, MENU_TABLE_OFFSET); !status) return status;
    for (std::size_t i = 0; i < roms.size(); ++i) {
        const MenuSlot slot = make_menu_slot(static_cast<std::uint32_t>(i + 1), roms[i].menu_title);
        if (Status status = write_bytes(image, slot); !status) return status;
    }
    // An empty slot ends the menu; there is room for it only below the last slot.
    if (roms.size() < menu_limit && roms.size() < MENU_SLOT_COUNT) {
        const MenuSlot empty{};
        return write_bytes(image, empty);
    }
    return Status::success();
}

Status patch_settings(File& image, int skin, int zoom) {
    const std::uint8_t skin_digit = setting_digit(skin);
    const std::uint8_t zoom_digit = setting_digit(zoom);
    if (Status status = seek_to(image, SKIN_DIGIT_OFFSET); !status) return status;
    if (Status status = write_bytes(image, {&skin_digit, 1}); !status) return status;
    if (Status status = seek_to(image, ZOOM_DIGIT_OFFSET); !status) return status;
    return write_bytes(image, {&zoom_digit, 1});
}

} // namespace kessra
