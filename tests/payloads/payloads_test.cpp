// The embedded blobs: sizes, identifying headers, patch points and the
// entry code, read back from the bytes built into the executable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "payload_gen/blob_builders.hpp"
#include "payloads/payloads.hpp"

namespace {

using kessra::Blob;
using kessra::builtin_payloads;

std::uint32_t be32(Blob b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}
std::uint16_t be16(Blob b, std::size_t at) { return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]); }
std::string text(Blob b, std::size_t at, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}
bool all_zero(Blob b) {
    return std::all_of(b.begin(), b.end(), [](std::uint8_t v) { return v == 0; });
}

// First instructions of the loader's entry function and the program's
// entry stub (boot/loader/loader.c, boot/program/start.S).
constexpr std::uint32_t LIS_R6_0x8120 = 0x3CC08120; // loader_entry: lis r6,0x8120 (its functions' page)
constexpr std::uint32_t LIS_R1_0x8150 = 0x3C208150; // _start: lis r1,0x8150 (stack top)

TEST(Payloads, EachBlobHasItsFixedSize) {
    const kessra::PayloadSet& p = builtin_payloads();
    EXPECT_EQ(p.apploader_blob.size(), 0x1B4E4u);
    EXPECT_EQ(p.program_image.size(), 0x1CEFA0u);
    for (Blob skin : p.skin_blob) EXPECT_EQ(skin.size(), 0x85040u);
    EXPECT_EQ(p.banner_blob.size(), 6496u);
    std::size_t total = p.apploader_blob.size() + p.program_image.size() + p.banner_blob.size();
    for (Blob skin : p.skin_blob) total += skin.size();
    EXPECT_EQ(total, 0x3FFEE4u);
}

TEST(Payloads, LoaderHeaderAndEntryCode) {
    const Blob a = builtin_payloads().apploader_blob;
    EXPECT_EQ(text(a, 0, 16), std::string("2003/04/17\0\0\0\0\0\0", 16));
    EXPECT_EQ(be32(a, 0x10), 0x81200258u);
    EXPECT_EQ(be32(a, 0x14), 0x1954u);
    EXPECT_EQ(be32(a, 0x18), 0x1B8B0u);
    EXPECT_EQ(be32(a, 0x1C), 0u);
    // The loader body is loaded at 0x81200000, right after the header.
    EXPECT_EQ(be32(a, 0x20 + (be32(a, 0x10) - 0x81200000)), LIS_R6_0x8120);
    // Code and data stay within the header's code size; the rest is padding.
    EXPECT_FALSE(all_zero(a.subspan(0x20, 0x258)));
    EXPECT_TRUE(all_zero(a.subspan(0x20 + 0x1954)));
}

TEST(Payloads, ProgramImageHeaderDescribesOneTextSection) {
    const Blob d = builtin_payloads().program_image;
    for (std::size_t at = 0; at < 0x100; at += 4) {
        std::uint32_t want = 0;
        if (at == 0x00) want = 0x100;      // text 0 file offset
        if (at == 0x48) want = 0x80003100; // text 0 load address
        if (at == 0x90) want = 0x1CEEA0;   // text 0 size
        if (at == 0xE0) want = 0x800A20A0; // entry point
        EXPECT_EQ(be32(d, at), want) << "header word at 0x" << std::hex << at;
    }
    EXPECT_EQ(be32(d, 0x00) + be32(d, 0x90), d.size());
}

TEST(Payloads, ProgramEntryPointHoldsTheStartStub) {
    const Blob d = builtin_payloads().program_image;
    const std::uint32_t entry = be32(d, 0xE0);
    ASSERT_GE(entry, be32(d, 0x48));
    ASSERT_LT(entry, be32(d, 0x48) + be32(d, 0x90));
    const std::size_t at = entry - be32(d, 0x48) + be32(d, 0x00);
    EXPECT_EQ(at, 0x9F0A0u);
    EXPECT_EQ(be32(d, at), LIS_R1_0x8150);
    // All other code and data lie below the stub; between it and the menu
    // table, and after the settings, there is nothing.
    EXPECT_FALSE(all_zero(d.subspan(0x100, 0x1000)));
    EXPECT_TRUE(all_zero(d.subspan(at + 0x20, 0x1BC528 - (at + 0x20))));
    EXPECT_TRUE(all_zero(d.subspan(0x1BE538)));
}

TEST(Payloads, MenuTablePlaceholdersAndSettings) {
    const Blob d = builtin_payloads().program_image;
    for (int k = 1; k <= 512; ++k) {
        char want[17];
        std::snprintf(want, sizeof want, "000 GAMENUMB%03d", k);
        const std::size_t at = 0x1BC528 + static_cast<std::size_t>(k - 1) * 16;
        ASSERT_EQ(text(d, at, 16), std::string(want, 16)) << "slot " << k;
    }
    EXPECT_EQ(text(d, 0x1BE528, 8), std::string("0SKIN\0\0\0", 8));
    EXPECT_EQ(text(d, 0x1BE530, 8), std::string("0ZOOM\0\0\0", 8));
}

TEST(Payloads, SkinTextureHeaders) {
    struct Case {
        int skin;
        std::uint16_t width;
        std::uint32_t format;
        std::size_t data_size;
    };
    const Case cases[] = {{0, 640, 14, 0x23000}, {1, 608, 4, 0x85000}, {2, 608, 4, 0x85000}, {3, 608, 4, 0x85000}};
    for (const Case& c : cases) {
        SCOPED_TRACE("skin " + std::to_string(c.skin));
        const Blob t = builtin_payloads().skin_blob[static_cast<std::size_t>(c.skin)];
        EXPECT_EQ(be32(t, 0x00), 0x0020AF30u);
        EXPECT_EQ(be32(t, 0x04), 1u);
        EXPECT_EQ(be32(t, 0x08), 0x0Cu);
        EXPECT_EQ(be32(t, 0x0C), 0x14u);
        EXPECT_EQ(be32(t, 0x10), 0u);
        EXPECT_EQ(be16(t, 0x14), 448);
        EXPECT_EQ(be16(t, 0x16), c.width);
        EXPECT_EQ(be32(t, 0x18), c.format);
        EXPECT_EQ(be32(t, 0x1C), 0x40u);
        EXPECT_EQ(be32(t, 0x20), 0u);
        EXPECT_EQ(be32(t, 0x24), 0u);
        EXPECT_EQ(be32(t, 0x28), 1u);
        EXPECT_EQ(be32(t, 0x2C), 1u);
        EXPECT_TRUE(all_zero(t.subspan(0x30, 0x10))); // LOD bias 0.0f, LOD bytes, padding
        EXPECT_FALSE(all_zero(t.subspan(0x40, 0x1000)));
        EXPECT_FALSE(all_zero(t.subspan(0x40 + c.data_size - 0x1000, 0x1000)));
    }
    const Blob first = builtin_payloads().skin_blob[0];
    EXPECT_TRUE(all_zero(first.subspan(0x23040)));
    EXPECT_EQ(first.size() - 0x23040, 0x62000u);
}

TEST(Payloads, BannerHeaderAndTexts) {
    const Blob b = builtin_payloads().banner_blob;
    EXPECT_EQ(text(b, 0, 4), "BNR1");
    EXPECT_TRUE(all_zero(b.subspan(4, 28)));
    struct Field {
        std::size_t at, size;
    };
    for (Field f : {Field{0x1820, 32}, Field{0x1840, 32}, Field{0x1860, 64}, Field{0x18A0, 64}, Field{0x18E0, 128}}) {
        SCOPED_TRACE(f.at);
        const std::string field = text(b, f.at, f.size);
        const std::size_t end = field.find('\0');
        ASSERT_NE(end, std::string::npos) << "field not NUL-terminated";
        EXPECT_GT(end, 0u);
        EXPECT_EQ(field.find_first_not_of('\0', end), std::string::npos) << "junk after the text";
        for (char c : field.substr(0, end)) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F));
    }
    EXPECT_EQ(text(b, 0x1820, 7), std::string("kessra\0", 7));
}

TEST(Payloads, EmbeddedBlobsEqualAFreshGeneration) {
    // The build ran the generator in another process; running the same code
    // again must give the very same bytes.
    const auto fresh = kessra::payload_gen::build_all_blobs();
    const kessra::PayloadSet& p = builtin_payloads();
    const Blob embedded[] = {p.skin_blob[0], p.skin_blob[1], p.skin_blob[2], p.skin_blob[3], p.banner_blob};
    ASSERT_EQ(fresh.size(), std::size(embedded));
    for (std::size_t i = 0; i < fresh.size(); ++i)
        EXPECT_TRUE(std::equal(fresh[i].bytes.begin(), fresh[i].bytes.end(), embedded[i].begin(), embedded[i].end()))
            << fresh[i].file_name;
}

} // namespace
