#include "inspect/crc32.hpp"

#include <array>

#include "inspect/inspection.hpp"
#include "inspect/problem_list.hpp"

namespace kessra {

namespace {

// Eight tables, so eight bytes are folded in per step.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables make_tables() {
    Tables tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (crc & 1 ? 0xEDB88320u : 0u);
        tables[0][i] = crc;
    }
    for (std::size_t t = 1; t < 8; ++t) {
        for (std::size_t i = 0; i < 256; ++i) tables[t][i] = (tables[t - 1][i] >> 8) ^ tables[0][tables[t - 1][i] & 0xFF];
    }
    return tables;
}

constexpr Tables TABLES = make_tables();

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

} // namespace

std::uint32_t crc32_update(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    crc = ~crc;
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left >= 8) {
        const std::uint32_t low = le32(p) ^ crc;
        const std::uint32_t high = le32(p + 4);
        crc = TABLES[7][low & 0xFF] ^ TABLES[6][(low >> 8) & 0xFF] ^ TABLES[5][(low >> 16) & 0xFF] ^
              TABLES[4][low >> 24] ^ TABLES[3][high & 0xFF] ^ TABLES[2][(high >> 8) & 0xFF] ^
              TABLES[1][(high >> 16) & 0xFF] ^ TABLES[0][high >> 24];
        p += 8;
        left -= 8;
    }
    while (left-- > 0) crc = (crc >> 8) ^ TABLES[0][(crc ^ *p++) & 0xFF];
    return ~crc;
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
    for (const DiscEntry& entry : table.entries) {
        if (entry.directory || !range_inside(entry.offset, entry.length, source.size())) continue;
        hashed += entry.length;
        if (hashed > budget) {
            problems.add("-deep: stopped hashing at " + escaped_text(entry.path) +
                         ": the files add up to more than twice the image's length");
            return;
        }
        std::uint32_t crc = 0;
        for (std::uint64_t done = 0; done < entry.length;) {
            const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), entry.length - done));
            const std::span<std::uint8_t> piece(buffer.data(), chunk);
            if (Status status = source.read(entry.offset + done, piece); !status) {
                problems.add(status.message);
                return;
            }
            crc = crc32_update(crc, piece);
            done += chunk;
        }
        found.crc32[entry.index] = crc;
    }
}

} // namespace kessra
