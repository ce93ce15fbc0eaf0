// The whole image build, from the boot area to the fill, written under
// temporary names and moved into place only when everything succeeded.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "catalogue/disc_profile.hpp"
#include "catalogue/rom_record.hpp"
#include "image/progress.hpp"
#include "payloads/payloads.hpp"
#include "platform/file_io.hpp"
#include "platform/output_files.hpp"

namespace kessra {

struct BuildRequest {
    std::string image_path;
    std::string volume_label;
    std::string rom_directory;
    bool pad = false;
    int skin = 0; // 0 to 3
    int zoom = 0; // 0 to 2
    DiscProfile profile = MINI_DVD;
};

// Builds the image and its listing from `roms`, whose disc names are already
// derived; fills in each ROM's menu title. Progress goes to `progress`. On failure
// no output file is changed and no temporary file is left.
Status build_image(const BuildRequest& request, RomTable& roms, const PayloadSet& payloads,
                   const ProgressText& progress);

// The listing and the image of a build, in the order they are put in place:
// the image last, so that an image in place always has its own listing.
std::array<OutputFile, 2> image_outputs(const std::string& image_path);

// Writes the image and its listing under the temporary names of `outputs`
// (from image_outputs) and leaves them there, closed, to be put in place by
// commit_outputs together with others. On failure they are removed.
Status write_image_outputs(const BuildRequest& request, RomTable& roms, const PayloadSet& payloads,
                           const ProgressText& progress, std::span<OutputFile, 2> outputs);

// Fills the image with zero sectors from `content_end` up to the target,
// showing the progress texts.
Status pad_image(File& image, std::uint64_t content_end, std::uint32_t target_sectors, const ProgressText& progress);

} // namespace kessra
