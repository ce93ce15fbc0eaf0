#include "disc_split/disc_plan.hpp"

#include "catalogue/disc_name.hpp"
#include "catalogue/rom_scan.hpp"
#include "format/disc_format.hpp"
#include "image/fst.hpp"
#include "platform/paths.hpp"

namespace kessra {

namespace {

constexpr std::uint32_t PER_ROM_NAME_BYTES = 11; // the disc name's NUL and "index.NNN" with its NUL

std::uint32_t name_bytes_of(const std::string& disc_name) {
    return static_cast<std::uint32_t>(disc_name.size()) + PER_ROM_NAME_BYTES;
}

DiscLoad with_rom(DiscLoad load, const RomRecord& rom) {
    ++load.rom_count;
    load.name_bytes += name_bytes_of(rom.disc_name);
    load.rom_bytes += rom.size;
    return load;
}

// The disc being filled: its ROMs and the names already in use on it.
struct OpenDisc {
    PlannedDisc disc;
    DiscLoad load;
    std::vector<std::string> names;
};

} // namespace

DiscLimit broken_limit(const DiscLoad& load, const DiscProfile& profile) {
    if (load.rom_count > MAX_ROM_COUNT) return DiscLimit::rom_count;
    if (fst_entry_count(load.rom_count) > FST_MAX_ENTRIES) return DiscLimit::table_entries;
    if (fst_string_table_size(load.name_bytes) > FST_STRING_TABLE_SIZE) return DiscLimit::name_bytes;
    if (!collection_fits(load.rom_bytes, load.rom_count, profile)) return DiscLimit::data_budget;
    return DiscLimit::none;
}

std::string describe_limit(DiscLimit limit, const DiscProfile& profile) {
    switch (limit) {
    case DiscLimit::none: break;
    case DiscLimit::rom_count: return "the " + std::to_string(MAX_ROM_COUNT) + " ROMs one image holds";
    case DiscLimit::table_entries: return "the file system table's " + std::to_string(FST_MAX_ENTRIES) + " entries";
    case DiscLimit::name_bytes:
        return "the file system table's " + std::to_string(FST_STRING_TABLE_SIZE) + "-byte name table";
    case DiscLimit::data_budget: return "the disc's data budget of " + std::to_string(profile.data_budget) + " bytes";
    }
    return "no limit";
}

Result<std::vector<PlannedDisc>> plan_discs(const RomTable& roms, const std::vector<std::string>& base_names,
                                            const DiscProfile& profile, const std::string& directory) {
    std::vector<PlannedDisc> discs;
    if (base_names.size() != roms.size()) return {Status::failure("disc plan: one base name per ROM needed"), {}};
    OpenDisc open;
    for (std::size_t i = 0; i < roms.size(); ++i) {
        RomRecord rom = roms[i];
        rom.disc_name = unique_disc_name(base_names[i], open.names);
        if (!open.disc.roms.empty() && broken_limit(with_rom(open.load, rom), profile) != DiscLimit::none) {
            discs.push_back(std::move(open.disc));
            open = OpenDisc{};
            open.disc.first = i;
            rom.disc_name = unique_disc_name(base_names[i], open.names);
        }
        const DiscLoad load = with_rom(open.load, rom);
        if (const DiscLimit limit = broken_limit(load, profile); limit != DiscLimit::none) {
            return {Status::failure(join_path(directory, rom.file_name) + ": this ROM alone breaks " +
                                    describe_limit(limit, profile) + "; it cannot go on any disc"),
                    {}};
        }
        if (discs.size() == MAX_DISC_COUNT) {
            return {Status::failure(directory + ": the " + std::to_string(roms.size()) + " ROMs need more than " +
                                    std::to_string(MAX_DISC_COUNT) + " discs"),
                    {}};
        }
        open.load = load;
        open.names.push_back(rom.disc_name);
        open.disc.roms.push_back(std::move(rom));
    }
    if (!open.disc.roms.empty()) discs.push_back(std::move(open.disc));
    return success(std::move(discs));
}

} // namespace kessra
