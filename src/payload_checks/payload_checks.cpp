#include "payload_checks/payload_checks.hpp"

#include <algorithm>
#include <cstdio>

#include "format/be32.hpp"
#include "format/dol_header.hpp"
#include "format/tpl_header.hpp"
#include "payload_checks/patch_points.hpp"

namespace kessra {

namespace {

// A big-endian number field of 1, 2 or 4 bytes and the value it must hold.
struct NumberField {
    std::string name;
    std::uint32_t offset;
    std::uint32_t width;
    std::uint32_t expected;
    bool decimal = false; // counts and dimensions read better in decimal
};

std::uint32_t read_number(Blob bytes, std::uint32_t offset, std::uint32_t width) {
    if (width == 4) return get_be32(bytes, offset);
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < width; ++i) value = value << 8 | bytes[offset + i];
    return value;
}

std::string number_text(std::uint32_t value, const NumberField& field) {
    if (field.decimal) return std::to_string(value);
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", static_cast<int>(field.width * 2), value);
    return text;
}

struct Checker {
    std::size_t blob;
    const std::string& file;
    Blob bytes;
    std::vector<PayloadProblem>& problems;

    void add(std::string field, std::uint64_t offset, std::string expected, std::string found) {
        problems.push_back({blob, file, std::move(field), offset, std::move(expected), std::move(found)});
    }

    // Fields past the end of a short blob are left out: its length is reported.
    bool holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes.size() && length <= bytes.size() - offset;
    }

    void number(const NumberField& field) {
        if (!holds(field.offset, field.width)) return;
        const std::uint32_t found = read_number(bytes, field.offset, field.width);
        if (found != field.expected)
            add(field.name, field.offset, number_text(field.expected, field), number_text(found, field));
    }

    void text(const std::string& field, std::uint32_t offset, Blob expected) {
        if (!holds(offset, expected.size())) return;
        const Blob found = bytes.subspan(offset, expected.size());
        if (!std::equal(found.begin(), found.end(), expected.begin())) {
            add(field, offset, quoted(expected), quoted(found));
        }
    }

    void zeros(const std::string& field, std::uint64_t from, std::uint64_t to) {
        to = std::min<std::uint64_t>(to, bytes.size());
        for (std::uint64_t at = from; at < to; ++at) {
            if (bytes[at] != 0) {
                add(field, at, "zero bytes up to " + hex_word(static_cast<std::uint32_t>(to)),
                    hex_word(bytes[at]) + " at " + hex_word(static_cast<std::uint32_t>(at)));
                return;
            }
        }
    }

    void length(std::uint64_t expected) {
        if (bytes.size() != expected) {
            add("length", 0, std::to_string(expected) + " bytes", std::to_string(bytes.size()) + " bytes");
        }
    }
};

Blob text_bytes(const char* text, std::size_t length) { return {reinterpret_cast<const std::uint8_t*>(text), length}; }

void check_loader(Checker& check, Blob program) {
    const std::uint64_t size = check.bytes.size();
    if (size == APPLOADER_ANNOUNCED_SIZE) {
        // The long form an extractor writes: its tail is the program image's start.
        const std::uint32_t tail = APPLOADER_ANNOUNCED_SIZE - APPLOADER_SIZE;
        const Blob found = check.bytes.subspan(APPLOADER_SIZE);
        if (program.size() < tail || !std::equal(found.begin(), found.end(), program.begin())) {
            check.add("bytes past the loader", APPLOADER_SIZE,
                      "the first " + std::to_string(tail) + " bytes of main.dol", "other bytes");
        }
    } else if (size != APPLOADER_SIZE) {
        check.add("length", 0,
                  std::to_string(APPLOADER_SIZE) + " bytes (or " + std::to_string(APPLOADER_ANNOUNCED_SIZE) +
                      " ending with the start of main.dol)",
                  std::to_string(size) + " bytes");
    }
    check.text("date text", APPLOADER_DATE_FIELD, text_bytes("2003/04/17\0\0\0\0\0\0", APPLOADER_DATE_SIZE));
    check.number({"entry point", APPLOADER_ENTRY_FIELD, 4, APPLOADER_ENTRY_POINT});
    check.number({"code size", APPLOADER_CODE_SIZE_FIELD, 4, APPLOADER_CODE_SIZE});
    check.number({"trailer size", APPLOADER_TRAILER_SIZE_FIELD, 4, APPLOADER_TRAILER_SIZE});
    check.number({"reserved word", APPLOADER_RESERVED_FIELD, 4, 0});
}

// The DOL header: seven text and eleven data sections, of which only text
// section 0 is used; no BSS.
void check_program_header(Checker& check) {
    struct Table {
        const char* what;
        std::uint32_t offset;
        std::uint32_t text0;
    };
    const Table tables[] = {{"file offset", DOL_FILE_OFFSETS_FIELD, DOL_HEADER_SIZE},
                            {"load address", DOL_LOAD_ADDRESSES_FIELD, DOL_TEXT_LOAD_ADDRESS},
                            {"size", DOL_SIZES_FIELD, DOL_TEXT_SIZE}};
    for (const Table& table : tables) {
        for (std::uint32_t i = 0; i < DOL_TEXT_SECTIONS; ++i) {
            check.number({"text section " + std::to_string(i) + " " + table.what, dol_section_field(table.offset, i), 4,
                          i == 0 ? table.text0 : 0});
        }
    }
    for (const Table& table : tables) {
        for (std::uint32_t i = 0; i < DOL_DATA_SECTIONS; ++i) {
            check.number({"data section " + std::to_string(i) + " " + table.what,
                          dol_section_field(table.offset, DOL_TEXT_SECTIONS + i), 4, 0});
        }
    }
    check.number({"BSS address", DOL_BSS_ADDRESS_FIELD, 4, 0});
    check.number({"BSS size", DOL_BSS_SIZE_FIELD, 4, 0});
    check.number({"entry point", DOL_ENTRY_POINT_FIELD, 4, DOL_ENTRY_POINT});
    check.zeros("reserved", DOL_RESERVED_FIELD, DOL_HEADER_SIZE);
}

void check_skin(Checker& check, int skin) {
    const bool compressed = skin == 0;
    const NumberField fields[] = {
        {"magic", KF_TPL_MAGIC_AT, 4, TPL_MAGIC},
        {"image count", KF_TPL_IMAGE_COUNT_AT, 4, 1, true},
        {"image table offset", KF_TPL_IMAGE_TABLE_AT, 4, TPL_IMAGE_TABLE},
        {"image header offset", KF_TPL_IMAGE_HEADER_AT, 4, TPL_IMAGE_HEADER},
        {"palette header offset", KF_TPL_PALETTE_HEADER_AT, 4, 0},
        {"height", KF_TPL_HEIGHT_AT, 2, SKIN_HEIGHT, true},
        {"width", KF_TPL_WIDTH_AT, 2, compressed ? CMPR_SKIN_WIDTH : RGB565_SKIN_WIDTH, true},
        {"format", KF_TPL_FORMAT_AT, 4, compressed ? TPL_FORMAT_CMPR : TPL_FORMAT_RGB565, true},
        {"image data offset", KF_TPL_DATA_AT, 4, TPL_DATA_OFFSET},
        {"wrap S", KF_TPL_WRAP_S_AT, 4, 0},
        {"wrap T", KF_TPL_WRAP_T_AT, 4, 0},
        {"minification filter", KF_TPL_MIN_FILTER_AT, 4, TPL_FILTER_LINEAR, true},
        {"magnification filter", KF_TPL_MAG_FILTER_AT, 4, TPL_FILTER_LINEAR, true},
        {"level-of-detail bias", KF_TPL_LOD_BIAS_AT, 4, 0},
        {"edge level-of-detail enable", KF_TPL_EDGE_LOD_AT, 1, 0},
        {"minimum level of detail", KF_TPL_MIN_LOD_AT, 1, 0},
        {"maximum level of detail", KF_TPL_MAX_LOD_AT, 1, 0},
        {"unpacked flag", KF_TPL_UNPACKED_AT, 1, 0},
    };
    for (const NumberField& field : fields) check.number(field);
    check.zeros("reserved", KF_TPL_RESERVED_AT, TPL_DATA_OFFSET);
    if (compressed) {
        // CMPR: 4 bits a pixel; the rest of the file stays zero.
        const std::uint32_t end = TPL_DATA_OFFSET + CMPR_SKIN_WIDTH * SKIN_HEIGHT / 2;
        check.zeros("fill after the texture", end, SKIN_SIZE);
    }
}

} // namespace

std::string hex_word(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string quoted_bytes(Blob bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0) {
            text += "\\0";
        } else if (byte == '"' || byte == '\\') {
            text += '\\';
            text += static_cast<char>(byte);
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

std::string quoted(Blob bytes) {
    std::string text = "\"";
    text += quoted_bytes(bytes);
    text += '"';
    return text;
}

std::string problem_line(const PayloadProblem& problem) {
    return problem.file + ": " + problem.field + " at " + hex_word(static_cast<std::uint32_t>(problem.offset)) +
           ": expected " + problem.expected + ", found " + problem.found;
}

Status problems_status(const std::vector<PayloadProblem>& problems) {
    if (problems.empty()) return Status::success();
    std::vector<std::string> lines;
    for (const PayloadProblem& problem : problems) lines.push_back(problem_line(problem));
    return Status::failures(std::move(lines));
}

std::vector<PayloadProblem> check_blob(std::size_t blob, Blob bytes, const std::string& file, Blob program) {
    std::vector<PayloadProblem> problems;
    Checker check{blob, file, bytes, problems};
    if (blob == LOADER_BLOB) {
        check_loader(check, program);
        return problems;
    }
    check.length(PAYLOAD_FILES[blob].size);
    if (blob == PROGRAM_BLOB) {
        check_program_header(check);
        if (bytes.size() == PROGRAM_IMAGE_SIZE) check_patch_points(bytes, file, problems);
    } else if (blob == BANNER_BLOB) {
        check.text("magic", BANNER_MAGIC_OFFSET, text_bytes("BNR1", 4));
    } else {
        check_skin(check, static_cast<int>(blob - FIRST_SKIN_BLOB));
    }
    return problems;
}

std::vector<PayloadProblem> check_payload_set(const PayloadSet& set,
                                              const std::array<std::string, PAYLOAD_COUNT>& files) {
    std::vector<PayloadProblem> problems;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        auto found = check_blob(blob, payload_blob(set, blob), files[blob], set.program_image);
        problems.insert(problems.end(), found.begin(), found.end());
    }
    return problems;
}

Blob loader_in_use(Blob loader) { return loader.first(std::min<std::size_t>(loader.size(), APPLOADER_SIZE)); }

} // namespace kessra
