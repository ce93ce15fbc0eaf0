#include <algorithm>

#include "catalogue/disc_profile.hpp"
#include "disc_reader/disc_header.hpp"
#include "format/disc_format.hpp"
#include "inspect/inspection.hpp"
#include "inspect/problem_list.hpp"

namespace kessra {

namespace {

// The reader's lines start with the image's name, which the report shows once.
std::string without_name(const std::string& line, const std::string& name) {
    const std::string prefix = name + ": ";
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line;
}

bool table_place_fits(const DiscHeader& header, std::uint64_t length) {
    return range_inside(header.fst_offset, header.fst_size, length);
}

// The first bytes of a payload at its fixed place equal the built-in one's.
bool payload_in_place(ByteSource& source, std::uint64_t offset, Blob builtin, std::size_t length) {
    std::vector<std::uint8_t> head(length);
    return builtin.size() >= length && source.read(offset, head) &&
           std::equal(head.begin(), head.end(), builtin.begin());
}

// An image that carries this tool's disc id, its magic word, or its loader or
// program header at their places is checked as one of its images; anything
// else is no disc image of this console at all.
bool claims_this_layout(ByteSource& source, const DiscHeader& header, const PayloadSet& builtin) {
    return has_tool_disc_id(header) || has_tool_magic(header) ||
           payload_in_place(source, LOADER_OFFSET, builtin.apploader_blob, APPLOADER_HEADER_SIZE) ||
           payload_in_place(source, PROGRAM_IMAGE_OFFSET, builtin.program_image, DOL_HEADER_SIZE);
}

} // namespace

void check_header_words(const DiscHeader& header, Inspection& found) {
    ProblemList problems{found};
    if (!has_tool_disc_id(header)) {
        problems.add(hex_offset(DISC_ID_OFFSET) + ": disc id \"" + escaped_text(disc_id_text(header)) + "\" is not " +
                     DISC_ID);
    }
    if (!has_tool_magic(header)) {
        problems.add(hex_offset(DISC_MAGIC_OFFSET) + ": magic word " + hex_offset(header.magic) + " is not " +
                     hex_offset(DISC_MAGIC));
    }
    const std::string program_word =
        hex_offset(PROGRAM_IMAGE_OFFSET_FIELD) + ": program image offset " + hex_offset(header.program_image_offset);
    if (std::uint64_t{header.program_image_offset} + DOL_HEADER_SIZE > found.length) {
        problems.add(program_word + " points past the end of the image (" + std::to_string(found.length) + " bytes)");
    } else if (header.program_image_offset != PROGRAM_IMAGE_OFFSET) {
        problems.add(program_word + " is not " + hex_offset(PROGRAM_IMAGE_OFFSET));
    }
    if (!table_place_fits(header, found.length)) {
        problems.add(hex_offset(FST_OFFSET_FIELD) + ": table offset " + hex_offset(header.fst_offset) + " and size " +
                     std::to_string(header.fst_size) + " (" + hex_offset(FST_SIZE_FIELD) +
                     ") point past the end of the image (" + std::to_string(found.length) + " bytes)");
    } else if (header.fst_offset != FST_OFFSET) {
        problems.add(hex_offset(FST_OFFSET_FIELD) + ": table offset " + hex_offset(header.fst_offset) + " is not " +
                     hex_offset(FST_OFFSET));
    }
    if (header.fst_max_size < header.fst_size) {
        problems.add(hex_offset(FST_MAX_SIZE_FIELD) + ": maximum table size " + std::to_string(header.fst_max_size) +
                     " is below the table size " + std::to_string(header.fst_size));
    }
}

void check_padding(ByteSource& source, Inspection& found) {
    ProblemList problems{found};
    if (found.length <= found.content_end) return;
    const std::uint64_t mini = std::uint64_t{MINI_DVD.target_sectors} * SECTOR_SIZE;
    const std::uint64_t large = std::uint64_t{LARGE_DISC.target_sectors} * SECTOR_SIZE;
    if (found.length == mini) {
        found.padded_to = "Mini DVD-R";
    } else if (found.length == large) {
        found.padded_to = "2 GiB disc";
    } else {
        found.padded_to = "no medium";
        problems.add("image length " + std::to_string(found.length) + " passes the content end " +
                     hex_offset(found.content_end) + " but is no medium's length (" + std::to_string(mini) + " or " +
                     std::to_string(large) + " bytes)");
    }
    // The fill is sampled, not read: its first and last sectors and evenly
    // spaced sectors between them.
    constexpr std::uint64_t SAMPLES = 32;
    std::vector<std::uint8_t> sample(SECTOR_SIZE);
    const std::uint64_t span = found.length - found.content_end;
    for (std::uint64_t k = 0; k <= SAMPLES; ++k) {
        std::uint64_t at = found.content_end + span / SAMPLES * k;
        at = std::min(at, found.length - 1) / SECTOR_SIZE * SECTOR_SIZE;
        at = std::max(at, found.content_end);
        const std::uint64_t size = std::min<std::uint64_t>(SECTOR_SIZE, found.length - at);
        const std::span<std::uint8_t> bytes(sample.data(), static_cast<std::size_t>(size));
        if (Status status = source.read(at, bytes); !status) {
            problems.add(without_name(status.message, source.name()));
            return;
        }
        const auto nonzero = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
        if (nonzero != bytes.end()) {
            problems.add(hex_offset(at + static_cast<std::uint64_t>(nonzero - bytes.begin())) +
                         ": the fill after the content is not zero");
            return;
        }
    }
}

Inspection inspect_image(ByteSource& source, const PayloadSet& builtin, bool deep) {
    Inspection found;
    found.image = source.name();
    found.length = source.size();
    found.deep = deep;
    ProblemList problems{found};

    Result<DiscHeader> header = read_disc_header(source);
    if (!header) {
        found.layout_note = "not a disc image";
        problems.add("not an image of this kind: " + without_name(header.status.message, source.name()));
        return found;
    }
    found.header = header.value;
    if (!claims_this_layout(source, header.value, builtin)) {
        found.layout_note = header.value.wii_magic == WII_MAGIC
                                ? "a disc of the other console family: its files lie in encrypted partitions"
                                : "neither this tool's disc id, nor the magic word, nor its payloads";
        problems.add("not an image of this kind: " + found.layout_note);
        return found;
    }
    found.this_layout = true;
    check_header_words(header.value, found);
    if (!table_place_fits(header.value, found.length)) return found;
    Result<FileTable> table = read_file_table(source, header.value);
    if (!table) {
        problems.add(without_name(table.status.message, source.name()));
        return found;
    }
    found.table = std::move(table.value);
    check_table_files(*found.table, found);
    check_layout_files(*found.table, found);
    check_payloads(source, builtin, found);
    check_menu_and_roms(source, *found.table, found);
    check_padding(source, found);
    if (deep) hash_files(source, found);
    problems.finish();
    return found;
}

} // namespace kessra
