#include <cinttypes>

#include "catalogue/console_text.hpp"
#include "format/disc_format.hpp"
#include "inspect/inspect_report.hpp"
#include "inspect/problem_list.hpp"

namespace kessra {

namespace {

void print_header(const Inspection& found, std::FILE* out) {
    std::fprintf(out, "Image       : %s\n", escaped_text(found.image).c_str());
    std::fprintf(out, "Length      : %" PRIu64 " bytes (%" PRIu64 " sectors)\n", found.length,
                 found.length / SECTOR_SIZE);
    if (!found.header) return;
    const DiscHeader& header = *found.header;
    std::fprintf(out, "Disc id     : %s\n", escaped_text(disc_id_text(header)).c_str());
    std::fprintf(out, "Magic       : %s\n", hex_offset(header.magic).c_str());
    std::fprintf(out, "Label       : %s\n", escaped_text(header.volume_label).c_str());
    std::fprintf(out, "Program     : at %s\n", hex_offset(header.program_image_offset).c_str());
    std::fprintf(out, "Table       : at %s, %" PRIu32 " bytes (maximum %" PRIu32 ")",
                 hex_offset(header.fst_offset).c_str(), header.fst_size, header.fst_max_size);
    if (found.table) std::fprintf(out, ", %zu entries", found.table->entries.size());
    std::fputs("\n", out);
    if (!found.table) return;
    std::fprintf(out, "Content end : %s (%" PRIu64 " bytes)\n", hex_offset(found.content_end).c_str(),
                 found.content_end);
    if (!found.this_layout) return;
    std::fprintf(out, "Padding     : %s\n", found.padded_to.empty() ? "none" : ("to " + found.padded_to).c_str());
}

void print_payloads(const Inspection& found, std::FILE* out) {
    std::fputs("\nPayloads:\n", out);
    for (const PayloadFinding& payload : found.payloads) {
        std::fprintf(out, "  %-14s at %-10s %8" PRIu64 " bytes  %s\n", payload.name.c_str(),
                     hex_offset(payload.offset).c_str(), payload.size, payload_state_name(payload.state).c_str());
        for (const std::string& problem : payload.problems) std::fprintf(out, "      %s\n", printable(problem).c_str());
    }
}

void print_setting(const char* name, const std::optional<SettingFinding>& setting, std::FILE* out) {
    if (!setting) return;
    if (setting->value < 0) {
        std::fprintf(out, "  %-5s %s (not a setting)\n", name, hex_offset(setting->byte).c_str());
    } else {
        std::fprintf(out, "  %-5s %d  %s\n", name, setting->value, setting->label.c_str());
    }
}

void print_menu(const Inspection& found, std::FILE* out) {
    std::fprintf(out, "\nMenu: %zu games, %" PRIu32 " empty slots, %" PRIu32 " placeholder slots\n", found.menu.size(),
                 found.empty_slots, found.placeholder_slots);
    for (const MenuLine& line : found.menu) {
        const std::string save = line.save_chip ? std::string("  save: ") + emu::save_type_name(*line.save_chip) : "";
        std::fprintf(out, "  %03" PRIu32 " %-11s  %-34s %2" PRIu32 " MiB  %s%s\n", line.number,
                     escaped_text(line.title).c_str(), escaped_text(line.rom).c_str(), line.rom_size / (1024 * 1024),
                     escaped_text(line.file_name).c_str(), save.c_str());
    }
}

void print_files(const Inspection& found, std::FILE* out) {
    const FileTable& table = *found.table;
    std::fputs("\nFiles:\n", out);
    std::fprintf(out, "  %-10s %10s  %s%s\n", "offset", "size", found.deep ? "crc32     " : "", "path");
    for (const DiscEntry& entry : table.entries) {
        if (entry.index == 0) continue;
        if (entry.directory) {
            std::fprintf(out, "  %-10s %10s  %s%s/\n", "", "", found.deep ? "          " : "",
                         escaped_text(entry.path).c_str());
            continue;
        }
        std::string crc = found.deep ? "          " : "";
        if (found.deep && entry.index < found.crc32.size() && found.crc32[entry.index]) {
            char text[16];
            std::snprintf(text, sizeof text, "%08" PRIX32 "  ", *found.crc32[entry.index]);
            crc = text;
        }
        std::fprintf(out, "  %-10s %10" PRIu32 "  %s%s\n", hex_offset(entry.offset).c_str(), entry.length, crc.c_str(),
                     escaped_text(entry.path).c_str());
    }
}

} // namespace

void print_inspection_text(const Inspection& found, std::FILE* out) {
    print_header(found, out);
    if (found.consistent()) {
        std::fputs("Result      : consistent\n", out);
    } else {
        std::fprintf(out, "Result      : %zu problem%s\n", found.problems.size(),
                     found.problems.size() == 1 ? "" : "s");
        for (const std::string& problem : found.problems) std::fprintf(out, "  %s\n", printable(problem).c_str());
    }
    if (found.this_layout && found.table) {
        print_payloads(found, out);
        std::fputs("\nSettings:\n", out);
        print_setting("skin", found.skin, out);
        print_setting("zoom", found.zoom, out);
        print_menu(found, out);
    }
    if (found.table) print_files(found, out);
}

} // namespace kessra
