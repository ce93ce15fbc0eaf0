#include "payload_checks/payload_checks.hpp"

#include <algorithm>
#include <cstdio>

#include "format/be32.hpp"
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
        if (found != field.expected) add(field.name, field.offset, number_text(field.expected, field), number_text(found, field));
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

Blob text_bytes(const char* text, std::size_t length) {
    return {reinterpret_cast<const std::uint8_t*>(text), length};
}

void check_loader(Checker& check, Blob program) {
    const std::uint64_t size = check.bytes.size();
    if (size == APPLOADER_ANNOUNCED_SIZE) {
        // The long form an extractor writes: its tail is the program image's start.
        const std::uint32_t tail = APPLOADER_ANNOUNCED_SIZE - APPLOADER_SIZE;
        const Blob found = check.bytes.subspan(APPLOADER_SIZE);
        if (program.size() < tail || !std::equal(found.begin(), found.end(), program.begin())) {
            check.add("bytes past the loader", APPLOADER_SIZE, "the first " + std::to_string(tail) + " bytes of main.dol",
                      "other bytes");
        }
    } else if (size != APPLOADER_SIZE) {
        check.add("length", 0,
                  std::to_string(APPLOADER_SIZE) + " bytes (or " + std::to_string(APPLOADER_ANNOUNCED_SIZE) +
                      " ending with the start of main.dol)",
                  std::to_string(size) + " bytes");
    }
    check.text("date text", 0x00, text_bytes("2003/04/17\0\0\0\0\0\0", 16));
    check.number({"entry point", 0x10, 4, APPLOADER_ENTRY_POINT});
    check.number({"code size", 0x14, 4, APPLOADER_CODE_SIZE});
    check.number({"trailer size", 0x18, 4, APPLOADER_TRAILER_SIZE});
    check.number({"reserved word", 0x1C, 4, 0});
}

// The DOL header: seven text and eleven data sections, of which only text
// section 0 is used; no BSS.
void check_program_header(Checker& check) {
    struct Table {
        const char* what;
        std::uint32_t offset;
        std::uint32_t text0;
    };
    const Table text_tables[] = {{"file offset", 0x00, DOL_HEADER_SIZE},
                                 {"load address", 0x48, DOL_TEXT_LOAD_ADDRESS},
                                 {"size", 0x90, DOL_TEXT_SIZE}};
    const Table data_tables[] = {{"file offset", 0x1C, 0}, {"load address", 0x64, 0}, {"size", 0xAC, 0}};
    for (const Table& table : text_tables) {
        for (std::uint32_t i = 0; i < 7; ++i) {
            check.number({"text section " + std::to_string(i) + " " + table.what, table.offset + 4 * i, 4,
                          i == 0 ? table.text0 : 0});
        }
    }
    for (const Table& table : data_tables) {
        for (std::uint32_t i = 0; i < 11; ++i) {
            check.number({"data section " + std::to_string(i) + " " + table.what, table.offset + 4 * i, 4, 0});
        }
    }
    check.number({"BSS address", 0xD8, 4, 0});
    check.number({"BSS size", 0xDC, 4, 0});
    check.number({"entry point", 0xE0, 4, DOL_ENTRY_POINT});
    check.zeros("reserved", 0xE4, DOL_HEADER_SIZE);
}

void check_skin(Checker& check, int skin) {
    const bool compressed = skin == 0;
    const NumberField fields[] = {
        {"magic", 0x00, 4, TPL_MAGIC},
        {"image count", 0x04, 4, 1, true},
        {"image table offset", 0x08, 4, 0x0C},
        {"image header offset", 0x0C, 4, 0x14},
        {"palette header offset", 0x10, 4, 0},
        {"height", 0x14, 2, SKIN_HEIGHT, true},
        {"width", 0x16, 2, compressed ? CMPR_SKIN_WIDTH : RGB565_SKIN_WIDTH, true},
        {"format", 0x18, 4, compressed ? TPL_FORMAT_CMPR : TPL_FORMAT_RGB565, true},
        {"image data offset", 0x1C, 4, TPL_DATA_OFFSET},
        {"wrap S", 0x20, 4, 0},
        {"wrap T", 0x24, 4, 0},
        {"minification filter", 0x28, 4, 1, true},
        {"magnification filter", 0x2C, 4, 1, true},
        {"level-of-detail bias", 0x30, 4, 0},
        {"edge level-of-detail enable", 0x34, 1, 0},
        {"minimum level of detail", 0x35, 1, 0},
        {"maximum level of detail", 0x36, 1, 0},
        {"unpacked flag", 0x37, 1, 0},
    };
    for (const NumberField& field : fields) check.number(field);
    check.zeros("reserved", 0x38, TPL_DATA_OFFSET);
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
        check.text("magic", 0x00, text_bytes("BNR1", 4));
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
