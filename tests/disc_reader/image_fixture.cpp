#include "disc_reader/image_fixture.hpp"

#include <algorithm>
#include <cstring>

#include "format/be32.hpp"
#include "format/disc_format.hpp"

namespace kessra::testing {

void put_word(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    put_be32(bytes, offset, value);
}

std::vector<std::uint8_t> make_fixture_image(const std::vector<FixtureEntry>& entries, std::uint32_t image_size) {
    std::vector<std::uint8_t> image(image_size);
    std::memcpy(image.data() + DISC_ID_OFFSET, DISC_ID, 6);
    put_word(image, DISC_MAGIC_OFFSET, DISC_MAGIC);
    std::memcpy(image.data() + VOLUME_LABEL_OFFSET, "FIXTURE", 7);

    std::vector<std::uint8_t> table((entries.size() + 1) * FST_ENTRY_SIZE);
    put_word(table, 0, FST_DIRECTORY_FLAG);
    put_word(table, 8, static_cast<std::uint32_t>(entries.size() + 1));
    std::string strings;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FixtureEntry& entry = entries[i];
        const std::size_t at = (i + 1) * FST_ENTRY_SIZE;
        put_word(table, at, static_cast<std::uint32_t>(strings.size()) | (entry.directory ? FST_DIRECTORY_FLAG : 0));
        put_word(table, at + 4, entry.word1);
        put_word(table, at + 8, entry.word2);
        strings += entry.name;
        strings += '\0';
        if (!entry.directory && entry.word1 < image_size) {
            const std::size_t end = std::min<std::size_t>(image_size, std::size_t{entry.word1} + entry.word2);
            std::fill(image.begin() + entry.word1, image.begin() + static_cast<std::ptrdiff_t>(end),
                      static_cast<std::uint8_t>(i + 1));
        }
    }
    table.insert(table.end(), strings.begin(), strings.end());
    std::copy(table.begin(), table.end(), image.begin() + FIXTURE_FST_OFFSET);
    // The program image right after the disc header, where the image has room for one.
    put_word(image, HEADER_WORDS_OFFSET, image_size >= DISC_HEADER_SIZE + 0x100 ? DISC_HEADER_SIZE : 0x1000);
    put_word(image, HEADER_WORDS_OFFSET + 4, FIXTURE_FST_OFFSET);
    put_word(image, HEADER_WORDS_OFFSET + 8, static_cast<std::uint32_t>(table.size()));
    put_word(image, HEADER_WORDS_OFFSET + 12, static_cast<std::uint32_t>(table.size()));
    return image;
}

} // namespace kessra::testing
