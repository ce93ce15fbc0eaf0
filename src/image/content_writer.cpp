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


// Every region starts where the layout planned it; anything else would give
// the table offsets that do not match the data.
Status expect_position(File& image, std::uint64_t planned) {
    const auto position = file_position(image);
    if (!position) return position.status;
    if (position.value != planned) {
        return Status::failure(image.name + ": layout check failed: region written at " +
                               std::to_string(position.value) + " instead of " + std::to_string(planned));
    }
    return Status::success();
}

Status pad_to_sector(File& image) {
    const auto position = file_position(image);
    if (!position) return position.status;
    return write_zeros(image, round_up_to_sector(position.value) - position.value);
}

// A number as the report shows it, at least three digits ("007").
std::string three_digits(unsigned number) {
    char text[16];
    std::snprintf(text, sizeof text, "%03u", number);
    return text;
}

std::uint32_t offset32(std::uint64_t offset) { return static_cast<std::uint32_t>(offset); }

Status write_roms(const ContentTargets& targets, RomTable& roms, FstBuilder& fst, File& image, Listing& listing,
                  const ProgressText& progress) {
    const auto count = static_cast<unsigned>(roms.size());
    for (std::size_t i = 0; i < roms.size(); ++i) {
        RomRecord& rom = roms[i];
        const auto number = static_cast<unsigned>(i + 1);
        const std::string path = join_always(targets.request.rom_directory, rom.file_name);
        progress("Adding " + three_digits(number) + "/" + three_digits(count) + ": " + printable(path) + " as " +
                 rom.disc_name);
        if (Status status = expect_position(image, targets.layout.rom_offsets[i]); !status) return status;
        if (Status status = add_fst_entry(fst, rom.disc_name, FstKind::file, offset32(targets.layout.rom_offsets[i]),
                                          rom.size);
            !status) {
            return status;
        }
        std::array<std::uint8_t, ROM_HEADER_SIZE> header{};
        if (Status status = append_file_start(image, path, rom.size, header); !status) return status;
        rom.menu_title = read_menu_title(header);
        progress(" [MENU:" + three_digits(number) + " " + printable(rom.menu_title) + "]\n");
        if (Status status = write_listing_line(listing, rom, number); !status) return status;
    }
    return Status::success();
}

Status write_index_files(const ContentTargets& targets, const RomTable& roms, FstBuilder& fst, File& image,
                         const ProgressText& progress) {
    progress("Indexes       : ");
    for (std::size_t i = 0; i < roms.size(); ++i) {
        std::array<std::uint8_t, INDEX_FILE_SIZE> sector{};
        const std::string text = index_file_text(roms[i]);
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), sector.size()), sector.begin());
        if (Status status = expect_position(image, targets.layout.index_offsets[i]); !status) return status;
        if (Status status = write_bytes(image, sector); !status) return status;
        char name[24];
        std::snprintf(name, sizeof name, "index.%03u", static_cast<unsigned>(i));
        if (Status status = add_fst_entry(fst, name, FstKind::file, offset32(targets.layout.index_offsets[i]),
                                          INDEX_FILE_SIZE);
            !status) {
            return status;
        }
    }
    progress("OK\n");
    return Status::success();
}

// Each skin, then the banner, at the start of a sector and followed by zeros
// to the next one.
Status write_root_file(File& image, FstBuilder& fst, std::string_view name, std::uint64_t offset, Blob blob) {
    if (Status status = expect_position(image, offset); !status) return status;
    if (Status status = add_fst_entry(fst, name, FstKind::file, offset32(offset), static_cast<std::uint32_t>(blob.size()));
        !status) {
        return status;
    }
    return write_bytes(image, blob);
}

Status write_skins_and_banner(const ContentTargets& targets, FstBuilder& fst, File& image,
                              const ProgressText& progress) {
    progress("Adding skins  : ");
    for (int k = 0; k < SKIN_COUNT; ++k) {
        const auto index = static_cast<std::size_t>(k);
        if (Status status = write_root_file(image, fst, SKIN_FILE_NAMES[index], targets.layout.skin_offsets[index],
                                            targets.payloads.skin_blob[index]);
            !status) {
            return status;
        }
        if (Status status = pad_to_sector(image); !status) return status;
    }
    if (Status status = write_root_file(image, fst, BANNER_FILE_NAME, targets.layout.banner_offset,
                                        targets.payloads.banner_blob);
        !status) {
        return status;
    }
    progress("OK\n");
    if (Status status = pad_to_sector(image); !status) return status;
    return expect_position(image, targets.layout.content_end);
}

Status write_boot_and_reserve(const ContentTargets& targets, const RomTable& roms, FstBuilder& fst, File& image,
                              Listing& listing, const ProgressText& progress) {
    const auto boot = write_boot_area(image, targets.request.volume_label, targets.payloads, progress);
    if (!boot) return boot.status;
    if (boot.value.program_image != PROGRAM_IMAGE_OFFSET || boot.value.fst != targets.layout.fst_offset) {
        return Status::failure(image.name + ": layout check failed: boot area of unexpected length");
    }
    const auto rom_count = static_cast<std::uint32_t>(roms.size());
    if (Status status = add_fst_entry(fst, "", FstKind::directory, 0, 0); !status) return status;
    if (Status status = add_fst_entry(fst, ROM_FOLDER_NAME, FstKind::directory, 0, rom_count + 2); !status) return status;

    if (Status status = write_listing_headings(listing, targets.request.image_path, targets.request.volume_label);
        !status) {
        return status;
    }

    if (Status status = write_zeros(image, std::uint64_t{targets.layout.reserve_sectors} * SECTOR_SIZE); !status) {
        return status;
    }
    if (Status status = pad_to_sector(image); !status) return status;
    return expect_position(image, targets.layout.data_start);
}

Status finish_tables(const ContentTargets& targets, const RomTable& roms, FstBuilder& fst, File& image,
                     Listing& listing) {
    const auto size = write_fst(image, fst, targets.layout.fst_offset);
    if (!size) return size.status;
    if (Status status = write_header_offsets(image, PROGRAM_IMAGE_OFFSET, offset32(targets.layout.fst_offset),
                                             size.value);
        !status) {
        return status;
    }
    if (Status status = close_listing(listing); !status) return status;
    if (Status status = patch_menu_table(image, roms, targets.request.profile.menu_limit); !status) return status;
    if (Status status = patch_settings(image, targets.request.skin, targets.request.zoom); !status) return status;
    return seek_to(image, targets.layout.content_end);
}

} // namespace

std::string index_file_text(const RomRecord& rom) {
    return "; Auto generated by kessra\nroms/" + rom.disc_name + "\t;" + printable(rom.file_name) + " - " +
           std::to_string(rom.size) + " bytes\n";
}

Status write_image_contents(const ContentTargets& targets, RomTable& roms, File& image, Listing& listing,
                            const ProgressText& progress) {
    FstBuilder fst;
    if (Status status = write_boot_and_reserve(targets, roms, fst, image, listing, progress); !status) return status;
    if (Status status = write_roms(targets, roms, fst, image, listing, progress); !status) return status;
    if (Status status = write_index_files(targets, roms, fst, image, progress); !status) return status;
    if (Status status = write_skins_and_banner(targets, fst, image, progress); !status) return status;
    return finish_tables(targets, roms, fst, image, listing);
}

} // namespace kessra
