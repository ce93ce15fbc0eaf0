#include <nlohmann/json.hpp>

#include "inspect/inspect_report.hpp"
#include "inspect/problem_list.hpp"

namespace kessra {

namespace {

// Keys stay in the order written: the summary first.
using json = nlohmann::ordered_json;

json header_json(const DiscHeader& header) {
    return {{"disc_id", disc_id_text(header)},    {"magic", header.magic},
            {"label", header.volume_label},       {"program_image_offset", header.program_image_offset},
            {"fst_offset", header.fst_offset},    {"fst_size", header.fst_size},
            {"fst_max_size", header.fst_max_size}};
}

json setting_json(const std::optional<SettingFinding>& setting) {
    if (!setting) return nullptr;
    if (setting->value < 0) return {{"value", nullptr}, {"byte", setting->byte}, {"label", nullptr}};
    return {{"value", setting->value}, {"byte", setting->byte}, {"label", setting->label}};
}

json files_json(const Inspection& found) {
    json files = json::array();
    for (const DiscEntry& entry : found.table->entries) {
        if (entry.index == 0) continue;
        json file = {{"path", entry.path}, {"directory", entry.directory}};
        if (!entry.directory) {
            file["offset"] = entry.offset;
            file["size"] = entry.length;
            if (found.deep) {
                const bool hashed = entry.index < found.crc32.size() && found.crc32[entry.index];
                file["crc32"] = hashed ? json(*found.crc32[entry.index]) : json(nullptr);
            }
        }
        files.push_back(std::move(file));
    }
    return files;
}

} // namespace

std::string inspection_json(const Inspection& found) {
    json document = {{"image", found.image},
                     {"length", found.length},
                     {"consistent", found.consistent()},
                     {"problems", found.problems},
                     {"this_layout", found.this_layout},
                     {"layout_note", found.this_layout ? json(nullptr) : json(found.layout_note)},
                     {"header", found.header ? header_json(*found.header) : json(nullptr)}};
    if (found.table) document["content_end"] = found.content_end;
    if (found.this_layout && found.table) {
        document["padding"] = {{"padded", !found.padded_to.empty()},
                               {"medium", found.padded_to.empty() ? json(nullptr) : json(found.padded_to)}};
        json payloads = json::array();
        for (const PayloadFinding& payload : found.payloads) {
            payloads.push_back({{"name", payload.name},
                                {"offset", payload.offset},
                                {"size", payload.size},
                                {"state", payload_state_name(payload.state)},
                                {"problems", payload.problems}});
        }
        document["payloads"] = std::move(payloads);
        document["settings"] = {{"skin", setting_json(found.skin)}, {"zoom", setting_json(found.zoom)}};
        json games = json::array();
        for (const MenuLine& line : found.menu) {
            json game = {{"slot", line.number},
                         {"title", line.title},
                         {"rom", line.rom},
                         {"rom_size", line.rom_size},
                         {"file_name", line.file_name}};
            if (found.deep)
                game["save_chip"] = line.save_chip ? json(emu::save_type_name(*line.save_chip)) : json(nullptr);
            games.push_back(std::move(game));
        }
        document["menu"] = {{"games", std::move(games)},
                            {"empty_slots", found.empty_slots},
                            {"placeholder_slots", found.placeholder_slots}};
    }
    if (found.table) document["files"] = files_json(found);
    // Text read from an image need not be UTF-8: such bytes become U+FFFD.
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace kessra
