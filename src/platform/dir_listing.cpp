#include "platform/dir_listing.hpp"

#include <algorithm>

namespace kessra {

namespace {

unsigned char upper_ascii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

} // namespace

bool has_rom_extension(std::string_view name) {
    constexpr std::string_view extension = ".GBA";
    if (name.size() < extension.size()) return false;
    const auto tail = name.substr(name.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), [](char c, char e) {
        return upper_ascii(static_cast<unsigned char>(c)) == static_cast<unsigned char>(e);
    });
}

bool ntfs_name_less(std::string_view a, std::string_view b) {
    const auto folded = [](std::string_view s, std::size_t i) { return upper_ascii(static_cast<unsigned char>(s[i])); };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (folded(a, i) != folded(b, i)) return folded(a, i) < folded(b, i);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    // Same name but for case: order by the exact bytes so the order is total.
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

} // namespace kessra
