#include "inspect/crc32.hpp"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "inspect/inspection.hpp"
#include "inspect/problem_list.hpp"
#include "inspect/save_scan.hpp"

namespace kessra {

std::uint32_t crc32_update(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    // zlib takes lengths of its own unsigned type: longer spans go in pieces.
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), std::numeric_limits<uInt>::max());
        crc = static_cast<std::uint32_t>(::crc32(crc, bytes.data(), static_cast<uInt>(piece)));
        bytes = bytes.subspan(piece);
    }
    return crc;
}

void hash_files(ByteSource& source, Inspection& found) {
    ProblemList problems{found};
    const FileTable& table = *found.table;
    found.crc32.assign(table.entries.size(), std::nullopt);
    std::vector<std::uint8_t> buffer(4 * 1024 * 1024);
    // Files that overlap could make the sum of their lengths far larger than
    // the image; hashing stops at twice its length.
    const std::uint64_t budget = source.size() * 2;
    std::uint64_t hashed = 0;
    // The ROMs' save chips are found in the same pass.
    std::vector<MenuLine*> game_of(table.entries.size(), nullptr);
    for (MenuLine& line : found.menu)
        if (line.rom_entry < game_of.size()) game_of[line.rom_entry] = &line;
    for (const DiscEntry& entry : table.entries) {
        if (entry.directory || !range_inside(entry.offset, entry.length, source.size())) continue;
        hashed += entry.length;
        if (hashed > budget) {
            problems.add("-deep: stopped hashing at " + escaped_text(entry.path) +
                         ": the files add up to more than twice the image's length");
            return;
        }
        std::uint32_t crc = 0;
        SaveScan save;
        for (std::uint64_t done = 0; done < entry.length;) {
            const std::size_t chunk =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), entry.length - done));
            const std::span<std::uint8_t> piece(buffer.data(), chunk);
            if (Status status = source.read(entry.offset + done, piece); !status) {
                problems.add(status.message);
                return;
            }
            crc = crc32_update(crc, piece);
            if (game_of[entry.index] != nullptr) save.feed(piece);
            done += chunk;
        }
        found.crc32[entry.index] = crc;
        if (game_of[entry.index] != nullptr) game_of[entry.index]->save_chip = save.found();
    }
}

} // namespace kessra
