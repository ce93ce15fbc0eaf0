// A memory card image on the build machine, through the console program's
// own card file system (boot/common/card_fs): the save test makes a blank
// card, puts another program's file on it, and reads files back.
//
//   card_tool format IMAGE MBIT           a blank card (never over a file)
//   card_tool add-other IMAGE BLOCKS SEED another program's file of BLOCKS
//                                          blocks, bytes from SEED
//   card_tool list IMAGE                  one line per file (codes, name, first
//                                          block, blocks, time), then free blocks
//   card_tool cat IMAGE GAMEMAKER NAME OUT the file's blocks into OUT
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "card_image.hpp"

namespace {

int usage() {
    std::fputs("usage: card_tool format IMAGE MBIT | add-other IMAGE BLOCKS SEED | list IMAGE |"
               " cat IMAGE GAMEMAKER NAME OUT\n",
               stderr);
    return 2;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "card_tool: %s\n", why.c_str());
    return 1;
}

bool read_file(const std::string& path, std::vector<std::uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

card_file_id file_id(const std::string& game_maker, const std::string& name) {
    card_file_id id{};
    std::memcpy(id.game, game_maker.data(), CARD_GAME_CODE_LEN);
    std::memcpy(id.maker, game_maker.data() + CARD_GAME_CODE_LEN, CARD_MAKER_CODE_LEN);
    std::memcpy(id.name, name.data(), std::min<std::size_t>(name.size(), CARD_FILE_NAME_LEN));
    return id;
}

std::string text(const char* p, std::size_t max) {
    std::string s(p, strnlen(p, max));
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string command = argv[1], image = argv[2];
    card_test::MemCard card;
    if (command == "format") {
        if (argc != 4) return usage();
        const long mbit = std::strtol(argv[3], nullptr, 10);
        if (mbit < 4 || mbit > 128 || (mbit & (mbit - 1)) != 0) return fail("MBIT must be 4, 8, ... 128");
        if (std::ifstream(image)) return fail(image + " exists: not formatted over");
        card = card_test::formatted(static_cast<std::uint16_t>(mbit));
        return write_file(image, card.bytes.data(), card.bytes.size()) ? 0 : fail("cannot write " + image);
    }
    if (!read_file(image, card.bytes)) return fail("cannot read " + image);
    card_fs fs;
    const card_device dev = card.device();
    if (card_fs_mount(&fs, &dev) != CARD_OK) return fail(image + ": the card does not mount");
    if (command == "list" && argc == 3) {
        card_file_info files[CARD_DIR_ENTRIES];
        const int n = card_fs_list(&fs, files, static_cast<int>(CARD_DIR_ENTRIES));
        for (int i = 0; i < n; ++i) {
            const auto slot = static_cast<std::uint32_t>(card_fs_find(&fs, &files[i].id));
            const std::uint8_t* e = fs.dir + slot * CARD_ENTRY_SIZE;
            const unsigned time = static_cast<unsigned>(e[0x28]) << 24 | static_cast<unsigned>(e[0x29]) << 16 |
                                  static_cast<unsigned>(e[0x2A]) << 8 | e[0x2B];
            std::printf("%s%s %s %u %u %u\n", text(files[i].id.game, 4).c_str(), text(files[i].id.maker, 2).c_str(),
                        text(files[i].id.name, CARD_FILE_NAME_LEN).c_str(), files[i].first_block, files[i].block_count,
                        time);
        }
        std::printf("free %u\n", card_fs_free_blocks(&fs));
        return 0;
    }
    if (command == "add-other" && argc == 5) {
        const long blocks = std::strtol(argv[3], nullptr, 10), seed = std::strtol(argv[4], nullptr, 10);
        if (blocks < 1 || blocks > 64) return fail("BLOCKS must be 1 .. 64");
        std::vector<std::uint8_t> body(static_cast<std::size_t>(blocks) * CARD_BLOCK_SIZE);
        for (std::size_t k = 0; k < body.size(); ++k)
            body[k] = static_cast<std::uint8_t>(static_cast<std::size_t>(seed) + k * 13 + k / 8192);
        const card_file_id id = file_id("QOTH77", "other program's save");
        const card_entry_look look{};
        if (card_fs_write_file(&fs, &id, &look, body.data(), CARD_BLOCK_SIZE, body.data() + CARD_BLOCK_SIZE,
                               static_cast<std::uint32_t>(body.size() - CARD_BLOCK_SIZE)) != CARD_OK)
            return fail(image + ": the file could not be written");
        return write_file(image, card.bytes.data(), card.bytes.size()) ? 0 : fail("cannot write " + image);
    }
    if (command == "cat" && argc == 6) {
        const std::string game_maker = argv[3];
        if (game_maker.size() != 6) return fail("GAMEMAKER is 6 characters");
        const card_file_id id = file_id(game_maker, argv[4]);
        const int slot = card_fs_find(&fs, &id);
        if (slot < 0) return fail(image + ": no file " + argv[4]);
        card_file_info files[CARD_DIR_ENTRIES]{};
        const int n = card_fs_list(&fs, files, static_cast<int>(CARD_DIR_ENTRIES));
        std::uint32_t blocks = 0;
        for (int i = 0; i < n; ++i)
            if (std::memcmp(&files[i].id, &id, sizeof id) == 0) blocks = files[i].block_count;
        std::vector<std::uint8_t> body(blocks * CARD_BLOCK_SIZE);
        if (card_fs_read(&fs, slot, 0, body.data(), static_cast<std::uint32_t>(body.size())) != CARD_OK)
            return fail(image + ": the file does not read back");
        return write_file(argv[5], body.data(), body.size()) ? 0 : fail(std::string("cannot write ") + argv[5]);
    }
    return usage();
}
