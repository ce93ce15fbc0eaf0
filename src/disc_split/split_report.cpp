#include "disc_split/split_report.hpp"

#include "catalogue/console_text.hpp"
#include "format/disc_format.hpp"
#include "image/layout.hpp"
#include "report/listing.hpp"

namespace kessra {

std::uint64_t disc_image_size(const RomTable& roms, bool pad, const DiscProfile& profile) {
    const std::uint64_t content_end = plan_image_layout(roms).content_end;
    const std::uint64_t target = std::uint64_t{profile.target_sectors} * SECTOR_SIZE;
    return pad && content_end < target ? target : content_end;
}

void print_disc_lines(const std::vector<PlannedDisc>& discs, const std::vector<std::string>& image_paths, bool pad,
                      const DiscProfile& profile, std::FILE* out) {
    for (std::size_t d = 0; d < discs.size() && d < image_paths.size(); ++d) {
        const PlannedDisc& disc = discs[d];
        const std::string heading = "Disc " + std::to_string(d + 1) + "/" + std::to_string(discs.size());
        std::fprintf(out, "%-14s: %s, ROMs %03zu to %03zu, %llu bytes\n", heading.c_str(),
                     printable(image_paths[d]).c_str(), disc.first + 1, disc.first + disc.roms.size(),
                     static_cast<unsigned long long>(disc_image_size(disc.roms, pad, profile)));
    }
}

void print_split_closing(const std::vector<std::string>& image_paths, const std::vector<std::string>& later_images,
                         std::FILE* out) {
    std::fputs("\nAll Tasks Completed OK!\n", out);
    std::fprintf(out, "\n%zu images written; please refer to the generated text files for listing:\n",
                 image_paths.size());
    for (const std::string& image_path : image_paths) {
        std::fprintf(out, "  %s\n", printable(listing_path_for(image_path)).c_str());
    }
    if (!later_images.empty()) {
        std::fputs("Not part of this set, left from an earlier run:\n", out);
        for (const std::string& image_path : later_images) std::fprintf(out, "  %s\n", printable(image_path).c_str());
    }
    std::fputs("Thank you for helping test 'kessra'", out);
}

} // namespace kessra
