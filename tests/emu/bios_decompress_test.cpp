// The decompression calls on streams built here by hand from the formats'
// descriptions: LZ77 (literals, back-references, overlapping runs), Huffman
// (the "Huff" example tree), run-length, the difference filters and
// BitUnPack, each in on-board RAM and, for the "VRAM" variants, in video RAM.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "machine_support.hpp"

namespace {

using machine_test::Handheld;
using machine_test::r16;
using machine_test::r32;
using machine_test::r8;

constexpr uint32_t kSrc = 0x02001000;
constexpr uint32_t kDst = 0x02008000;
constexpr uint32_t kVram = 0x06000000;

class BiosDecompress : public testing::Test {
protected:
    void SetUp() override { machine_test::make_handheld(h); }
    // The stream at kSrc: a 32-bit header (type in bits 4-7, size above) and the data.
    void put_stream(uint32_t type_bits, uint32_t size, const std::vector<uint8_t>& data) {
        std::vector<uint8_t> bytes = {static_cast<uint8_t>(type_bits), static_cast<uint8_t>(size),
                                      static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size >> 16)};
        bytes.insert(bytes.end(), data.begin(), data.end());
        put(kSrc, bytes);
    }
    void put(uint32_t address, const std::vector<uint8_t>& bytes) {
        std::copy(bytes.begin(), bytes.end(), h.gba->mem.ewram + (address - 0x02000000));
    }
    std::string read(uint32_t address, uint32_t size) {
        std::string s;
        for (uint32_t i = 0; i < size; ++i) s += static_cast<char>(r8(*h, address + i));
        return s;
    }
    Handheld h;
};

TEST_F(BiosDecompress, Lz77LiteralsAndBackReferences) {
    // "abc", then 9 bytes from 3 back (an overlapping copy), then "!":
    // flags 00010000b (the fourth block is a reference), reference 60h 02h =
    // length 6+3, displacement 2+1.
    put_stream(0x10, 13, {0x10, 'a', 'b', 'c', 0x60, 0x02, '!', 0, 0});
    emu::bios_lz77(*h, kSrc, kDst, true);
    EXPECT_EQ(read(kDst, 14), std::string("abcabcabcabc!") + '\0');
    // A run from one byte back works with 8-bit writes only.
    put_stream(0x10, 6, {0x40, 'x', 0x20, 0x00});
    emu::bios_lz77(*h, kSrc, kDst + 0x100, true);
    EXPECT_EQ(read(kDst + 0x100, 6), "xxxxxx");
}

TEST_F(BiosDecompress, Lz77VramVariantWritesHalfwords) {
    // "xy" then 4 bytes from 2 back, into video RAM, where 8-bit writes would
    // not land as bytes.
    put_stream(0x10, 6, {0x20, 'x', 'y', 0x10, 0x01, 0, 0});
    emu::bios_lz77(*h, kSrc, kVram, false);
    for (uint32_t offset : {0u, 2u, 4u}) EXPECT_EQ(r16(*h, kVram + offset), 'x' | 'y' << 8) << offset;
}

TEST_F(BiosDecompress, HuffmanDecodesTheDescribedExample) {
    // "Huff" in 6 bits: root.0 is the data 'f', root.1 a node whose children
    // are 'H' (10) and 'u' (11). Tree size byte 3: the bit stream starts 8
    // bytes after the header.
    put(kSrc, {0x28, 4, 0, 0,            // 8-bit data, type 2, 4 bytes
               3,                        // tree size / 2 - 1
               0x80,                     // root: node0 is data, children at +0
               'f',                      // root.0
               0xC0,                     // root.1: both children data, at +0
               'H', 'u', 0, 0,           // its children, padding
               0x00, 0x00, 0x00, 0xB0}); // bits 10 11 0 0, first bit in bit 31
    emu::bios_huffman(*h, kSrc, kDst);
    EXPECT_EQ(read(kDst, 4), "Huff");
}

TEST_F(BiosDecompress, HuffmanFourBitUnitsFillWordsFromTheLowEnd) {
    // Two 4-bit symbols: 0 -> 5, 1 -> Ah. Bits 0,1,1,0,0,0,1,1 give the nibbles
    // 5,A,A,5,5,5,A,A from the low end of the word.
    put(kSrc, {0x24, 4, 0, 0, 1, 0xC0, 0x05, 0x0A, 0, 0, 0, 0x63});
    emu::bios_huffman(*h, kSrc, kDst);
    EXPECT_EQ(r32(*h, kDst), 0xAA555AA5u);
}

TEST_F(BiosDecompress, RunLengthRunsAndLiterals) {
    // 82h: 'z' five times; 02h: three bytes as they are.
    put_stream(0x30, 8, {0x82, 'z', 0x02, 'a', 'b', 'c'});
    emu::bios_run_length(*h, kSrc, kDst, true);
    EXPECT_EQ(read(kDst, 8), "zzzzzabc");
    emu::bios_run_length(*h, kSrc, kVram, false);
    EXPECT_EQ(r16(*h, kVram), 'z' | 'z' << 8);
    EXPECT_EQ(r16(*h, kVram + 6), 'b' | 'c' << 8);
}

TEST_F(BiosDecompress, ByteWritesToVideoRamLandAsTheHardwareStoresThem) {
    // The "WRAM" variant into background VRAM: every 8-bit write fills the
    // whole halfword, so the pairs come out as the second byte twice.
    put_stream(0x30, 4, {0x03, 'a', 'b', 'c', 'd'});
    emu::bios_run_length(*h, kSrc, kVram, true);
    EXPECT_EQ(r16(*h, kVram), 'b' | 'b' << 8);
    EXPECT_EQ(r16(*h, kVram + 2), 'd' | 'd' << 8);
}

TEST_F(BiosDecompress, DifferenceFilters) {
    put_stream(0x81, 4, {10, 1, 1, 0xFE}); // 10, +1, +1, -2
    emu::bios_diff8(*h, kSrc, kDst, true);
    EXPECT_EQ(r32(*h, kDst), 10u | 11u << 8 | 12u << 16 | 10u << 24);
    emu::bios_diff8(*h, kSrc, kVram, false);
    EXPECT_EQ(r32(*h, kVram), 10u | 11u << 8 | 12u << 16 | 10u << 24);
    put_stream(0x82, 8, {0x00, 0x10, 0x01, 0x00, 0xFF, 0xFF, 0x10, 0x00}); // 1000h, +1, -1, +10h
    emu::bios_diff16(*h, kSrc, kDst);
    EXPECT_EQ(r32(*h, kDst), 0x10011000u);
    EXPECT_EQ(r32(*h, kDst + 4), 0x10101000u);
}

TEST_F(BiosDecompress, BitUnPackWidensUnitsAndAddsTheOffset) {
    const uint32_t info = kSrc + 0x100;
    put(kSrc, {0xA5});
    // 1 byte of 1-bit units to 4-bit units, offset 1 on non-zero units.
    put(info, {1, 0, 1, 4, 1, 0, 0, 0});
    emu::bios_bit_unpack(*h, kSrc, kDst, info);
    EXPECT_EQ(r32(*h, kDst), 0x20200202u);
    // The zero-data flag adds the offset to zero units too.
    put(info, {1, 0, 1, 4, 1, 0, 0, 0x80});
    emu::bios_bit_unpack(*h, kSrc, kDst, info);
    EXPECT_EQ(r32(*h, kDst), 0x21211212u);
    // 2-bit units to bytes: A5h = 01 01 10 10 from the low end.
    put(info, {2, 0, 2, 8, 0, 0, 0, 0});
    put(kSrc, {0xA5, 0x1B});
    emu::bios_bit_unpack(*h, kSrc, kDst, info);
    EXPECT_EQ(r32(*h, kDst), 0x02020101u);
    EXPECT_EQ(r32(*h, kDst + 4), 0x00010203u);
}

TEST_F(BiosDecompress, StreamsAreReadFromTheCartridgeToo) {
    // Byte by byte from the cartridge, where each read is a separate access
    // (a sequential one would continue from the cartridge's own address counter).
    const uint8_t lz77[] = {0x10, 8, 0, 0, 0x08, 'A', 'B', 'C', 'D', 0x10, 0x03, 0, 0};
    const uint8_t run_length[] = {0x30, 6, 0, 0, 0x81, 'q', 0x01, 'r', 's'};
    std::copy(std::begin(lz77), std::end(lz77), h.rom.begin() + 0x100);
    std::copy(std::begin(run_length), std::end(run_length), h.rom.begin() + 0x200);
    emu::bios_lz77(*h, 0x08000100, kDst, true);
    EXPECT_EQ(read(kDst, 8), "ABCDABCD");
    emu::bios_run_length(*h, 0x08000200, kDst, true);
    EXPECT_EQ(read(kDst, 6), "qqqqrs");
}

TEST_F(BiosDecompress, SourcesInTheBiosAreaAreRefused) {
    machine_test::w32(*h, kDst, 0x12345678);
    emu::bios_lz77(*h, 0x00000100, kDst, true);
    emu::bios_run_length(*h, 0x00000100, kDst, true);
    emu::bios_huffman(*h, 0x00000000, kDst);
    EXPECT_EQ(r32(*h, kDst), 0x12345678u);
}

} // namespace
