// Big-endian packing of the 16- and 32-bit words of the image and its files.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kessra {

inline std::array<std::uint8_t, 4> be32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

inline void put_be32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    const auto packed = be32(value);
    for (std::size_t i = 0; i < packed.size(); ++i) bytes[offset + i] = packed[i];
}

inline std::uint32_t get_be32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) << 24 | static_cast<std::uint32_t>(bytes[offset + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 8 | static_cast<std::uint32_t>(bytes[offset + 3]);
}

inline void put_be16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(value);
}

inline std::uint16_t get_be16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

// One big-endian field of an on-disc structure: where it lies and which
// member of the decoded struct holds it. A structure lists its fields once;
// pack_fields and unpack_fields use that list both ways.
template <typename Struct, typename Word> struct BeField {
    std::uint32_t offset;
    Word Struct::*member;
};

template <typename Word> void put_be(std::span<std::uint8_t> bytes, std::size_t offset, Word value) {
    static_assert(sizeof(Word) == 2 || sizeof(Word) == 4);
    if constexpr (sizeof(Word) == 2) put_be16(bytes, offset, value);
    else put_be32(bytes, offset, value);
}

template <typename Word> Word get_be(std::span<const std::uint8_t> bytes, std::size_t offset) {
    static_assert(sizeof(Word) == 2 || sizeof(Word) == 4);
    if constexpr (sizeof(Word) == 2) return get_be16(bytes, offset);
    else return get_be32(bytes, offset);
}

template <typename Struct, typename Word, std::size_t N>
void pack_fields(std::span<std::uint8_t> bytes, const Struct& value,
                 const std::array<BeField<Struct, Word>, N>& fields) {
    for (const auto& field : fields) put_be<Word>(bytes, field.offset, value.*field.member);
}

template <typename Struct, typename Word, std::size_t N>
void unpack_fields(std::span<const std::uint8_t> bytes, Struct& value,
                   const std::array<BeField<Struct, Word>, N>& fields) {
    for (const auto& field : fields) value.*field.member = get_be<Word>(bytes, field.offset);
}

} // namespace kessra
