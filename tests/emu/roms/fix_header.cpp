// Writes a test ROM's cartridge header in place: the title at 0xA0, the game
// code at 0xAC, the maker at 0xB0, the fixed 0x96 at 0xB2 and the complement
// check at 0xBD over 0xA0-0xBC. Usage: fix_header ROM TITLE CODE MAKER
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kHeaderEnd = 0xC0;

// Copies text into a field of `size` bytes, padded with zeros; false when it
// does not fit or is not printable upper-case ASCII.
bool put_field(std::vector<unsigned char>& rom, std::size_t offset, std::size_t size, const std::string& text) {
    if (text.size() > size) return false;
    for (std::size_t i = 0; i < size; ++i) {
        unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        if (i < text.size() && (c < 0x20 || c > 0x5F)) return false;
        rom[offset + i] = c;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: fix_header ROM TITLE CODE MAKER\n");
        return 2;
    }
    const std::string path = argv[1];
    std::vector<unsigned char> rom;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
            return 1;
        }
        rom.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (rom.size() < kHeaderEnd) {
        std::fprintf(stderr, "%s: %zu bytes, shorter than the 0xC0-byte header\n", path.c_str(), rom.size());
        return 1;
    }
    if (!put_field(rom, 0xA0, 12, argv[2]) || !put_field(rom, 0xAC, 4, argv[3]) || !put_field(rom, 0xB0, 2, argv[4])) {
        std::fprintf(stderr, "%s: title (12), code (4) or maker (2) too long or not upper-case ASCII\n", path.c_str());
        return 1;
    }
    rom[0xB2] = 0x96;
    unsigned sum = 0;
    for (std::size_t i = 0xA0; i <= 0xBC; ++i) sum += rom[i];
    rom[0xBD] = static_cast<unsigned char>((0u - sum - 0x19u) & 0xFFu);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(rom.data()), static_cast<std::streamsize>(rom.size()));
    if (!out) {
        std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
        return 1;
    }
    return 0;
}
