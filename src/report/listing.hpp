// The listing text file beside the image: which ROM went in under which disc
// name, menu number and title.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/rom_record.hpp"
#include "platform/file_io.hpp"

namespace kessra {

// The listing's name: the whole image path with ".txt" appended.
std::string listing_path_for(const std::string& image_path);

struct Listing {
    File file;
};

// Writes the two headings of a listing just created as a text stream, each
// followed by an empty line.
Status write_listing_headings(Listing& listing, const std::string& image_path, const std::string& volume_label);

// "Imported <file> as <disc name> with on-screen menu as <NNN> <title>".
Status write_listing_line(Listing& listing, const RomRecord& rom, std::uint32_t rom_number);

Status close_listing(Listing& listing);

} // namespace kessra
