// Writes a sample ROM for demos and tests: a plausible cartridge header with
// the given title and a deterministic, non-zero body. No logo or other
// third-party data is written; the logo area stays zero.
//
//   make_rom FILE SIZE_MIB TITLE [GAME_CODE]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t TITLE_OFFSET = 0xA0;      // 12 bytes
constexpr std::size_t GAME_CODE_OFFSET = 0xAC;  // 4 bytes
constexpr std::size_t MAKER_CODE_OFFSET = 0xB0; // 2 bytes
constexpr std::size_t FIXED_BYTE_OFFSET = 0xB2; // always 0x96
constexpr std::size_t CHECKSUM_OFFSET = 0xBD;   // complement of bytes 0xA0..0xBC

void write_header(std::vector<std::uint8_t>& rom, const std::string& title, const std::string& game_code) {
    // Entry: a branch over the header, as cartridges start.
    const std::uint8_t branch[4] = {0x2E, 0x00, 0x00, 0xEA};
    std::memcpy(rom.data(), branch, sizeof branch);
    std::memset(rom.data() + 4, 0, 0xC0 - 4);
    std::memcpy(rom.data() + TITLE_OFFSET, title.data(), std::min<std::size_t>(title.size(), 12));
    std::memcpy(rom.data() + GAME_CODE_OFFSET, game_code.data(), std::min<std::size_t>(game_code.size(), 4));
    std::memcpy(rom.data() + MAKER_CODE_OFFSET, "01", 2);
    rom[FIXED_BYTE_OFFSET] = 0x96;
    unsigned sum = 0;
    for (std::size_t i = TITLE_OFFSET; i < CHECKSUM_OFFSET; ++i) sum += rom[i];
    rom[CHECKSUM_OFFSET] = static_cast<std::uint8_t>(-(sum + 0x19));
}

// A body that differs per title, so that tests notice a ROM written in the
// wrong place.
void fill_body(std::vector<std::uint8_t>& rom, const std::string& title) {
    std::uint32_t state = 2166136261u;
    for (char c : title) state = (state ^ static_cast<std::uint8_t>(c)) * 16777619u;
    for (std::size_t i = 0xC0; i < rom.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        rom[i] = static_cast<std::uint8_t>(state >> 24);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: make_rom FILE SIZE_MIB(4|8|16) TITLE [GAME_CODE]\n");
        return 2;
    }
    const std::string path = argv[1];
    const long mebibytes = std::strtol(argv[2], nullptr, 10);
    if (mebibytes != 4 && mebibytes != 8 && mebibytes != 16) {
        std::fprintf(stderr, "make_rom: size must be 4, 8 or 16 (MiB), not %s\n", argv[2]);
        return 2;
    }
    std::vector<std::uint8_t> rom(static_cast<std::size_t>(mebibytes) * 1024 * 1024);
    write_header(rom, argv[3], argc == 5 ? argv[4] : "KSRE");
    fill_body(rom, argv[3]);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return 1;
    }
    const bool written = std::fwrite(rom.data(), 1, rom.size(), file) == rom.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(path.c_str());
        std::remove(path.c_str());
        return 1;
    }
    return 0;
}
