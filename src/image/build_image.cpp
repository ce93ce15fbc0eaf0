#include "image/build_image.hpp"

#include <array>
#include <cstdio>

#include "image/content_writer.hpp"
#include "format/disc_format.hpp"
#include "image/layout.hpp"
#include "platform/output_files.hpp"
#include "report/listing.hpp"

namespace kessra {

namespace {

// The outputs of one build, in the order they are put in place: the image
// last, so that an image in place always has its own listing beside it.
enum : std::size_t { LISTING = 0, IMAGE = 1 };

Status write_and_close(const BuildRequest& request, RomTable& roms, const PayloadSet& payloads, File& image,
                       Listing& listing, const ProgressText& progress) {
    const ImageLayout layout = plan_image_layout(roms);
    const ContentTargets targets{request, payloads, layout};
    if (Status status = write_image_contents(targets, roms, image, listing, progress); !status) return status;
    if (request.pad) {
        if (Status status = pad_image(image, layout.content_end, request.profile.target_sectors, progress); !status) {
            return status;
        }
    }
    return close_file(image);
}

} // namespace

std::array<OutputFile, 2> image_outputs(const std::string& image_path) {
    const std::string listing_path = listing_path_for(image_path);
    return {OutputFile{listing_path, listing_path, {}}, OutputFile{image_path, image_path, {}}};
}

Status write_image_outputs(const BuildRequest& request, RomTable& roms, const PayloadSet& payloads,
                           const ProgressText& progress, std::span<OutputFile, 2> outputs) {
    Listing listing;
    Result<File> image = create_output(outputs[IMAGE], FileMode::binary);
    Status status = image.status;
    if (status) {
        Result<File> created_listing = create_output(outputs[LISTING], FileMode::text);
        status = created_listing.status;
        listing.file = std::move(created_listing.value);
    }
    if (status) status = write_and_close(request, roms, payloads, image.value, listing, progress);
    if (!status) {
        // Closed before their files are removed, which a host may refuse while they are open.
        abandon_file(image.value);
        abandon_file(listing.file);
        discard_outputs(outputs);
    }
    return status;
}

Status build_image(const BuildRequest& request, RomTable& roms, const PayloadSet& payloads,
                   const ProgressText& progress) {
    std::array<OutputFile, 2> outputs = image_outputs(request.image_path);
    Status status = write_image_outputs(request, roms, payloads, progress, outputs);
    if (status) status = commit_outputs(outputs);
    discard_outputs(outputs);
    return status;
}

Status pad_image(File& image, std::uint64_t content_end, std::uint32_t target_sectors, const ProgressText& progress) {
    // The fill is all zeros: extending the file gives them without writing
    // each sector, and the progress texts are the ones a sector-by-sector
    // fill shows at every tenth sector.
    const std::uint64_t target_length = std::uint64_t{target_sectors} * SECTOR_SIZE;
    if (content_end < target_length) {
        if (Status status = extend_to(image, target_length); !status) return status;
    }
    const std::uint64_t first_sector = content_end / SECTOR_SIZE;
    for (std::uint64_t sector = (first_sector + 9) / 10 * 10; sector < target_sectors; sector += 10) {
        char line[64];
        std::snprintf(line, sizeof line, "Padding       : %u of %u sectors\r", static_cast<unsigned>(sector),
                      target_sectors);
        progress(line);
    }
    progress("Padding       : OK" + std::string(40, ' ') + "\n");
    return Status::success();
}

} // namespace kessra
