#include <gtest/gtest.h>

#include "report/listing.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

TEST(Listing, HeadingsThenOneLinePerRom) {
    testing::ScratchDir dir;
    EXPECT_EQ(listing_path_for("out.iso"), "out.iso.txt");
    const std::string path = dir.file("out.iso.txt");
    auto created = create_new_file(path, path, FileMode::text);
    ASSERT_TRUE(created) << created.status.message;
    Listing listing{std::move(created.value)};
    ASSERT_TRUE(write_listing_headings(listing, "out.iso", "MYDISC"));
    ASSERT_TRUE(write_listing_line(listing, {"Pokey Quest.gba", "pokeyq_1.gba", "POKEYQUEST", 4194304}, 1));
    ASSERT_TRUE(write_listing_line(listing, {"b\x1b.gba", "b_.gba", "T\x07", 4194304}, 2));
    ASSERT_TRUE(close_listing(listing));
    const std::string& eol = testing::TEXT_LINE_END;
    EXPECT_EQ(testing::read_text(path),
              "Game Listing for out.iso" + eol + eol + "Volume set as MYDISC" + eol + eol +
                  "Imported Pokey Quest.gba as pokeyq_1.gba with on-screen menu as 001 POKEYQUEST" + eol +
                  "Imported b?.gba as b_.gba with on-screen menu as 002 T?" + eol);
}

} // namespace
} // namespace kessra
