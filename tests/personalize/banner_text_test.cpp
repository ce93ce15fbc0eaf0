// Banner texts: UTF-8 from the command line into the banner's Windows-1252
// fields, with their byte limits.
#include <gtest/gtest.h>

#include "personalize/banner_text.hpp"

namespace kessra {
namespace {

const BannerTextField& field(const char* option) {
    for (const BannerTextField& f : BANNER_TEXT_FIELDS)
        if (std::string(f.option) == option) return f;
    throw std::logic_error(option);
}

std::string repeat(const std::string& unit, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += unit;
    return out;
}

TEST(BannerText, ConvertsUtf8ToWindows1252) {
    const struct {
        const char* utf8;
        std::string want;
    } cases[] = {
        {"Café Quest", "Caf\xE9 Quest"},
        {"plain ASCII ~", "plain ASCII ~"},
        {"€ „quoted“ — ™", "\x80 \x84quoted\x93 \x97 \x99"},
        {"Ÿ ÿ ž Œ", "\x9F \xFF \x9E \x8C"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const auto got = to_banner_text(c.utf8, field("-long-title"));
        ASSERT_TRUE(got) << c.utf8 << ": " << got.status.message;
        EXPECT_EQ(got.value, c.want) << c.utf8;
    }
}

TEST(BannerText, EachFieldKeepsItsNul) {
    const struct {
        const char* option;
        std::size_t limit;
    } cases[] = {{"-title", 31}, {"-maker", 31}, {"-long-title", 63}, {"-long-maker", 63}, {"-description", 127}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        // Limits count bytes after conversion: "é" is two bytes of UTF-8 but one in the field.
        EXPECT_TRUE(to_banner_text(repeat("é", c.limit), field(c.option)));
        EXPECT_TRUE(to_banner_text(repeat("x", c.limit), field(c.option)));
        const auto over = to_banner_text(repeat("é", c.limit + 1), field(c.option));
        ASSERT_FALSE(over);
        EXPECT_NE(over.status.message.find(c.option), std::string::npos) << over.status.message;
        EXPECT_NE(over.status.message.find("at most " + std::to_string(c.limit) + " bytes"), std::string::npos)
            << over.status.message;
    }
}

TEST(BannerText, LineFeedsOnlyInTheDescription) {
    const auto description = to_banner_text("first line\nsecond line\n", field("-description"));
    ASSERT_TRUE(description);
    EXPECT_EQ(description.value, "first line\nsecond line\n");
    for (const char* option : {"-title", "-maker", "-long-title", "-long-maker"}) {
        const auto refused = to_banner_text("two\nlines", field(option));
        ASSERT_FALSE(refused) << option;
        EXPECT_NE(refused.status.message.find(option), std::string::npos);
    }
    EXPECT_FALSE(to_banner_text("tab\there", field("-description")));
    EXPECT_FALSE(to_banner_text("cr\r\n", field("-description")));
}

TEST(BannerText, RefusesWhatTheCharacterSetCannotHold) {
    const struct {
        const char* utf8;
        const char* says;
    } cases[] = {
        {"日本", "U+65E5"},
        {"emoji \xF0\x9F\x98\x80", "U+1F600"},
        {"C1 \xC2\x81", "U+0081"},               // a C1 control, not the byte 0x81
        {"bad \xC3", "not valid UTF-8"},         // cut sequence
        {"bad \xC0\xA9", "not valid UTF-8"},     // overlong form
        {"bad \xED\xA0\x80", "not valid UTF-8"}, // surrogate
        {"bad \xFF", "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        const auto got = to_banner_text(c.utf8, field("-title"));
        ASSERT_FALSE(got) << c.utf8;
        EXPECT_NE(got.status.message.find("-title"), std::string::npos) << got.status.message;
        EXPECT_NE(got.status.message.find(c.says), std::string::npos) << got.status.message;
    }
    EXPECT_EQ(windows1252_byte(0x81), -1);
    EXPECT_EQ(windows1252_byte(0x20AC), 0x80);
    EXPECT_EQ(windows1252_byte(0xE9), 0xE9);
}

} // namespace
} // namespace kessra
