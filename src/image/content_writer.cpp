#include "image/content_writer.hpp"

#include <array>
#include <cstdio>

#include "catalogue/console_text.hpp"
#include "catalogue/disc_name.hpp"
#include "image/boot_area.hpp"
#include "format/disc_format.hpp"
#include "image/fst.hpp"
#include "image/menu_patch.hpp"
#include "platform/paths.hpp"

namespace kessra {

namespace {

// A number as the report shows it, at least three digits ("007").
std::string three_digits(unsigned number) {
    char text[16];
    std::snprintf(text, sizeof text, "%03u", number);
    return text;
}

// Writes `bytes` where the plan puts `region`; what lies between regions is
// left to read as zeros.
Status write_region(File& image, const Region& region, Blob bytes) {
    if (bytes.size() != region.size) {
        return Status::failure(image.name + ": " + region.file_name + " is " + std::to_string(bytes.size()) +
                               " bytes, not the " + std::to_string(region.size) + " its place holds");
    }
    if (Status status = seek_to(image, region.offset); !status) return status;
    return write_bytes(image, bytes);
}

Status write_roms(const ContentTargets& targets, RomTable& roms, File& image, Listing& listing,
                  const ProgressText& progress) {
    const auto count = static_cast<unsigned>(roms.size());
    for (const Region* region : regions_of(targets.layout, RegionSource::rom)) {
        RomRecord& rom = roms[region->number];
        const auto number = static_cast<unsigned>(region->number + 1);
        const std::string path = join_always(targets.request.rom_directory, rom.file_name);
        progress("Adding " + three_digits(number) + "/" + three_digits(count) + ": " + printable(path) + " as " +
                 rom.disc_name);
        std::array<std::uint8_t, ROM_HEADER_SIZE> header{};
        if (Status status = copy_file_at(image, path, region->offset, region->size, header); !status) return status;
        rom.menu_title = read_menu_title(header);
        progress(" [MENU:" + three_digits(number) + " " + printable(rom.menu_title) + "]\n");
        if (Status status = write_listing_line(listing, rom, number); !status) return status;
    }
    return Status::success();
}

Status write_index_files(const ContentTargets& targets, const RomTable& roms, File& image,
                         const ProgressText& progress) {
    progress("Indexes       : ");
    for (const Region* region : regions_of(targets.layout, RegionSource::index_file)) {
        std::array<std::uint8_t, INDEX_FILE_SIZE> sector{};
        const std::string text = index_file_text(roms[region->number]);
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), sector.size()), sector.begin());
        if (Status status = write_region(image, *region, sector); !status) return status;
    }
    progress("OK\n");
    return Status::success();
}

Status write_skins_and_banner(const ContentTargets& targets, File& image, const ProgressText& progress) {
    progress("Adding skins  : ");
    for (const Region* region : regions_of(targets.layout, RegionSource::skin)) {
        if (Status status = write_region(image, *region, targets.payloads.skin_blob[region->number]); !status) {
            return status;
        }
    }
    for (const Region* region : regions_of(targets.layout, RegionSource::banner)) {
        if (Status status = write_region(image, *region, targets.payloads.banner_blob); !status) return status;
    }
    progress("OK\n");
    return Status::success();
}

Status write_boot_area_and_headings(const ContentTargets& targets, File& image, Listing& listing,
                                    const ProgressText& progress) {
    const auto boot = write_boot_area(image, targets.request.volume_label, targets.payloads, progress);
    if (!boot) return boot.status;
    // The payloads' lengths were checked; a set that still ends the boot
    // area elsewhere would give the table offsets that do not match the data.
    if (boot.value.program_image != PROGRAM_IMAGE_OFFSET || boot.value.fst != targets.layout.fst_offset) {
        return Status::failure(image.name + ": layout check failed: boot area of unexpected length");
    }
    return write_listing_headings(listing, targets.request.image_path, targets.request.volume_label);
}

Status finish_tables(const ContentTargets& targets, const RomTable& roms, FstBuilder& fst, File& image,
                     Listing& listing) {
    const auto size = write_fst(image, fst, targets.layout.fst_offset);
    if (!size) return size.status;
    if (Status status = write_header_offsets(image, PROGRAM_IMAGE_OFFSET,
                                             static_cast<std::uint32_t>(targets.layout.fst_offset), size.value);
        !status) {
        return status;
    }
    if (Status status = close_listing(listing); !status) return status;
    if (Status status = patch_menu_table(image, roms, targets.request.profile.menu_limit); !status) return status;
    if (Status status = patch_settings(image, targets.request.skin, targets.request.zoom); !status) return status;
    // The zeros after the banner, to the end of its sector.
    return extend_to(image, targets.layout.content_end);
}

} // namespace

std::string index_file_text(const RomRecord& rom) {
    return "; Auto generated by kessra\nroms/" + rom.disc_name + "\t;" + printable(rom.file_name) + " - " +
           std::to_string(rom.size) + " bytes\n";
}

Status write_image_contents(const ContentTargets& targets, RomTable& roms, File& image, Listing& listing,
                            const ProgressText& progress) {
    FstBuilder fst;
    if (Status status = fill_fst(fst, targets.layout); !status) return status;
    if (Status status = write_boot_area_and_headings(targets, image, listing, progress); !status) return status;
    if (Status status = write_roms(targets, roms, image, listing, progress); !status) return status;
    if (Status status = write_index_files(targets, roms, image, progress); !status) return status;
    if (Status status = write_skins_and_banner(targets, image, progress); !status) return status;
    return finish_tables(targets, roms, fst, image, listing);
}

} // namespace kessra
