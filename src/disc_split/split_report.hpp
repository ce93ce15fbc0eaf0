// The console lines of a build over several discs: one line per disc before
// the discs' own reports, one closing block after them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/disc_profile.hpp"
#include "disc_split/disc_plan.hpp"

namespace kessra {

// The length of a disc's image: the end of its content, or the medium's
// capacity when it is padded.
std::uint64_t disc_image_size(const RomTable& roms, bool pad, const DiscProfile& profile);

// "Disc 1/2      : out_1.iso, ROMs 001 to 252, 1058019328 bytes" for each disc.
void print_disc_lines(const std::vector<PlannedDisc>& discs, const std::vector<std::string>& image_paths, bool pad,
                      const DiscProfile& profile, std::FILE* out);

// The closing messages once every image is in place, naming every listing
// and the images numbered past the last disc that an earlier run left.
void print_split_closing(const std::vector<std::string>& image_paths, const std::vector<std::string>& later_images,
                         std::FILE* out);

} // namespace kessra
