#include "report/listing.hpp"

#include <cstdio>

#include "catalogue/console_text.hpp"

namespace kessra {

std::string listing_path_for(const std::string& image_path) { return image_path + ".txt"; }

Status write_listing_headings(Listing& listing, const std::string& image_path, const std::string& volume_label) {
    return write_text(listing.file, "Game Listing for " + printable(image_path) + "\n\n" + "Volume set as " +
                                        printable(volume_label) + "\n\n");
}

Status write_listing_line(Listing& listing, const RomRecord& rom, std::uint32_t rom_number) {
    char number[16];
    std::snprintf(number, sizeof number, "%03u", rom_number);
    return write_text(listing.file, "Imported " + printable(rom.file_name) + " as " + rom.disc_name +
                                        " with on-screen menu as " + number + " " + printable(rom.menu_title) + "\n");
}

Status close_listing(Listing& listing) { return close_file(listing.file); }

} // namespace kessra
