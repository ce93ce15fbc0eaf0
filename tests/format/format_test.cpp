// Golden round trips of the on-disc structures: each is encoded, compared
// with its bytes as written out here, and decoded back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "format/dol_header.hpp"
#include "format/fst_entry.hpp"
#include "format/header_words.hpp"
#include "format/menu_table.hpp"
#include "format/tpl_header.hpp"

namespace kessra {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename Array> Bytes bytes_of(const Array& array) { return Bytes(array.begin(), array.end()); }

TEST(FormatHeaderWords, GoldenRoundTrip) {
    const HeaderWords words{0x0001D924, 0x001EC8C4, 0x0000010F, 0x00020304};
    const Bytes golden{0x00, 0x01, 0xD9, 0x24, 0x00, 0x1E, 0xC8, 0xC4, 0x00, 0x00, 0x01, 0x0F, 0x00, 0x02, 0x03, 0x04};
    const HeaderWordBytes encoded = encode_header_words(words);
    EXPECT_EQ(bytes_of(encoded), golden);
    const HeaderWords decoded = decode_header_words(encoded);
    EXPECT_EQ(decoded.program_image_offset, 0x0001D924u);
    EXPECT_EQ(decoded.fst_offset, 0x001EC8C4u);
    EXPECT_EQ(decoded.fst_size, 0x0000010Fu);
    EXPECT_EQ(decoded.fst_max_size, 0x00020304u);
}

TEST(FormatVolumeLabel, FieldFrom0x20To0x400) {
    struct Case {
        std::string label;
        std::size_t stored; // label bytes in the field
    };
    const Case cases[] = {
        {"KESSRA SAMPLE", 13}, {"", 0}, {std::string(0x3DF, 'L'), 0x3DF}, {std::string(0x500, 'M'), 0x3DF}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> header(0x430, 0);
        encode_volume_label(header, c.label);
        for (std::size_t i = 0; i < header.size(); ++i) {
            const bool in_label = i >= 0x20 && i < 0x20 + c.stored;
            ASSERT_EQ(header[i], in_label ? static_cast<std::uint8_t>(c.label[i - 0x20]) : 0) << "byte " << i;
        }
        EXPECT_EQ(decode_volume_label(header), c.label.substr(0, c.stored));
    }
    // A field without a zero ends at 0x400: the header words are not label bytes.
    std::vector<std::uint8_t> full(0x430, 'X');
    EXPECT_EQ(decode_volume_label(full), std::string(0x3E0, 'X'));
}

TEST(FormatFstEntry, GoldenRoundTrip) {
    struct Case {
        FstFields fields;
        Bytes golden;
    };
    const Case cases[] = {
        {{1, 0, 0, 0x1F}, {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
        {{1, 0x000005, 0, 0x0A}, {0x01, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A}},
        {{0, 0xABCDEF, 0x12345678, 0x00400000},
         {0x00, 0xAB, 0xCD, 0xEF, 0x12, 0x34, 0x56, 0x78, 0x00, 0x40, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        const FstEntryBytes encoded = encode_fst_entry(c.fields);
        EXPECT_EQ(bytes_of(encoded), c.golden);
        const FstFields decoded = decode_fst_entry(encoded);
        EXPECT_EQ(decoded.type, c.fields.type);
        EXPECT_EQ(decoded.name_offset, c.fields.name_offset);
        EXPECT_EQ(decoded.offset_or_parent, c.fields.offset_or_parent);
        EXPECT_EQ(decoded.length_or_next, c.fields.length_or_next);
    }
    // An unknown type byte reads back as it is, for the reader to refuse.
    const FstEntryBytes odd{0x02, 0x00, 0x00, 0x09, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(decode_fst_entry(odd).type, 2u);
    EXPECT_EQ(decode_fst_entry(odd).name_offset, 9u);
}

TEST(FormatDolHeader, GoldenRoundTrip) {
    DolHeader header;
    header.sections[0] = {0x00000100, 0x80003100, 0x001CEEA0};  // text 0
    header.sections[6] = {0x00000200, 0x80100000, 0x00000040};  // text 6
    header.sections[7] = {0x00000300, 0x80200000, 0x00000020};  // data 0
    header.sections[17] = {0x00000400, 0x80300000, 0x00000060}; // data 10
    header.bss_address = 0x80400000;
    header.bss_size = 0x00001000;
    header.entry_point = 0x800A20A0;

    Bytes golden(0x100, 0);
    const auto put = [&golden](std::size_t at, std::initializer_list<std::uint8_t> word) {
        std::copy(word.begin(), word.end(), golden.begin() + static_cast<std::ptrdiff_t>(at));
    };
    put(0x00, {0x00, 0x00, 0x01, 0x00});
    put(0x18, {0x00, 0x00, 0x02, 0x00});
    put(0x1C, {0x00, 0x00, 0x03, 0x00});
    put(0x44, {0x00, 0x00, 0x04, 0x00});
    put(0x48, {0x80, 0x00, 0x31, 0x00});
    put(0x60, {0x80, 0x10, 0x00, 0x00});
    put(0x64, {0x80, 0x20, 0x00, 0x00});
    put(0x8C, {0x80, 0x30, 0x00, 0x00});
    put(0x90, {0x00, 0x1C, 0xEE, 0xA0});
    put(0xA8, {0x00, 0x00, 0x00, 0x40});
    put(0xAC, {0x00, 0x00, 0x00, 0x20});
    put(0xD4, {0x00, 0x00, 0x00, 0x60});
    put(0xD8, {0x80, 0x40, 0x00, 0x00});
    put(0xDC, {0x00, 0x00, 0x10, 0x00});
    put(0xE0, {0x80, 0x0A, 0x20, 0xA0});

    const DolHeaderBytes encoded = encode_dol_header(header);
    EXPECT_EQ(bytes_of(encoded), golden);
    const DolHeader decoded = decode_dol_header(encoded);
    for (std::size_t k = 0; k < DOL_SECTIONS; ++k) {
        EXPECT_EQ(decoded.sections[k].file_offset, header.sections[k].file_offset) << "section " << k;
        EXPECT_EQ(decoded.sections[k].load_address, header.sections[k].load_address) << "section " << k;
        EXPECT_EQ(decoded.sections[k].size, header.sections[k].size) << "section " << k;
    }
    EXPECT_EQ(decoded.bss_address, header.bss_address);
    EXPECT_EQ(decoded.bss_size, header.bss_size);
    EXPECT_EQ(decoded.entry_point, header.entry_point);
}

TEST(FormatTplHeader, GoldenRoundTripOfBothSkinKinds) {
    struct Case {
        std::uint16_t width;
        std::uint32_t format;
        std::uint8_t width_low;
    };
    const Case cases[] = {{640, 14, 0x80}, {608, 4, 0x60}};
    for (const Case& c : cases) {
        TplHeader header;
        header.height = 448;
        header.width = c.width;
        header.format = c.format;
        const Bytes golden{0x00, 0x20,        0xAF, 0x30, 0x00, 0x00,
                           0x00, 0x01,        0x00, 0x00, 0x00, 0x0C,
                           0x00, 0x00,        0x00, 0x14, //
                           0x00, 0x00,        0x00, 0x00, 0x01, 0xC0,
                           0x02, c.width_low, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(c.format),
                           0x00, 0x00,        0x00, 0x40, //
                           0x00, 0x00,        0x00, 0x00, 0x00, 0x00,
                           0x00, 0x00,        0x00, 0x00, 0x00, 0x01,
                           0x00, 0x00,        0x00, 0x01, //
                           0x00, 0x00,        0x00, 0x00, 0x00, 0x00,
                           0x00, 0x00,        0x00, 0x00, 0x00, 0x00,
                           0x00, 0x00,        0x00, 0x00};
        const TplHeaderBytes encoded = encode_tpl_header(header);
        EXPECT_EQ(bytes_of(encoded), golden) << c.width;
        const TplHeader decoded = decode_tpl_header(encoded);
        EXPECT_EQ(decoded.magic, 0x0020AF30u);
        EXPECT_EQ(decoded.image_count, 1u);
        EXPECT_EQ(decoded.image_table, 0x0Cu);
        EXPECT_EQ(decoded.image_header, 0x14u);
        EXPECT_EQ(decoded.height, 448);
        EXPECT_EQ(decoded.width, c.width);
        EXPECT_EQ(decoded.format, c.format);
        EXPECT_EQ(decoded.data_offset, 0x40u);
        EXPECT_EQ(decoded.min_filter, 1u);
        EXPECT_EQ(decoded.mag_filter, 1u);
    }
}

TEST(FormatMenuTable, SlotsAsTheProgramReadsThem) {
    struct Case {
        MenuSlot slot;
        std::string golden; // 16 bytes
    };
    const Case cases[] = {
        {make_menu_slot(7, "TETRIX"), std::string("007 TETRIX\0\0\0\0\0\0", 16)},
        {make_menu_slot(512, "ABCDEFGHIJKLMNOP"), std::string("512 ABCDEFGHIJK\0", 16)},
        {make_menu_slot(3, std::string("AB\0CD", 5)), std::string("003 AB\0\0\0\0\0\0\0\0\0\0", 16)},
        {placeholder_slot(1), std::string("000 GAMENUMB001\0", 16)},
        {placeholder_slot(512), std::string("000 GAMENUMB512\0", 16)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(c.slot.begin(), c.slot.end()), c.golden);
    }
    EXPECT_EQ(setting_digit(2), '2');
}

} // namespace
} // namespace kessra
