#include "image/build_image.hpp"

#include "image/content_writer.hpp"
#include "image/disc_format.hpp"
#include "image/layout.hpp"
#include "platform/output_files.hpp"
#include "report/listing.hpp"

namespace kessra {

namespace {

struct OutputNames {
    std::string image;         // final paths
    std::string listing;
    std::string image_temp;    // where they are written
    std::string listing_temp;
};

OutputNames output_names(const std::string& image_path) {
    const std::string listing = listing_path_for(image_path);
    return {image_path, listing, temporary_path_for(image_path), temporary_path_for(listing)};
}

Status write_and_close(const BuildRequest& request, RomTable& roms, const PayloadSet& payloads,
                       const OutputNames& names, File& image, Listing& listing, std::FILE* out) {
    const ImageLayout layout = plan_image_layout(roms);
    const ContentTargets targets{request, payloads, layout, names.listing_temp, names.listing};
    if (Status status = write_image_contents(targets, roms, image, listing, out); !status) return status;
    if (request.pad) {
        if (Status status = pad_image(image, layout.content_end, request.profile.target_sectors, out); !status) {
            return status;
        }
    }
    if (Status status = close_file(image); !status) return status;
    // The listing first, the image last: an image in place always has its listing.
    if (Status status = replace_file(names.listing_temp, names.listing, names.listing); !status) return status;
    return replace_file(names.image_temp, names.image, names.image);
}

} // namespace

Status build_image(const BuildRequest& request, RomTable& roms, const PayloadSet& payloads, std::FILE* out) {
    const OutputNames names = output_names(request.image_path);
    watch_temporary(names.image_temp);
    watch_temporary(names.listing_temp);

    Status status;
    Listing listing;
    auto created = create_new_file(names.image_temp, names.image, FileMode::binary);
    if (created) {
        status = write_and_close(request, roms, payloads, names, created.value, listing, out);
    } else {
        status = created.status;
    }
    if (!status) {
        abandon_file(created.value);
        abandon_file(listing.file);
        remove_quietly(names.image_temp);
        remove_quietly(names.listing_temp);
    }
    unwatch_temporary(names.image_temp);
    unwatch_temporary(names.listing_temp);
    return status;
}

Status pad_image(File& image, std::uint64_t content_end, std::uint32_t target_sectors, std::FILE* out) {
    // The fill is all zeros: extending the file gives them without writing
    // each sector, and the progress texts are the ones a sector-by-sector
    // fill shows at every tenth sector.
    const std::uint64_t target_length = std::uint64_t{target_sectors} * SECTOR_SIZE;
    if (content_end < target_length) {
        if (Status status = extend_to(image, target_length); !status) return status;
    }
    const std::uint64_t first_sector = content_end / SECTOR_SIZE;
    for (std::uint64_t sector = (first_sector + 9) / 10 * 10; sector < target_sectors; sector += 10) {
        std::fprintf(out, "Padding       : %u of %u sectors\r", static_cast<unsigned>(sector), target_sectors);
    }
    std::fprintf(out, "Padding       : OK%40s\n", "");
    return Status::success();
}

} // namespace kessra
