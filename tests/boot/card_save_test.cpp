// Keeping a game's save memory on the card: when the game loop writes,
// the messages it shows once, and the save file's round trip.
#include <gtest/gtest.h>

#include <memory>

#include "boot/card_image.hpp"

extern "C" {
#include "common/card_icon.h"
#include "common/card_save.h"
}

using card_test::formatted;
using card_test::MemCard;

namespace {

TEST(CardSavePolicy, WritesAfterASecondAloneOrOnPauseAndLeaveNeverWhileBusy) {
    struct Case {
        const char* what;
        card_save_moment moment;
        int changed;
        std::uint32_t change_frame, now;
        int busy;
        int due;
    } cases[] = {
        {"unchanged", CARD_SAVE_FRAME, 0, 0, 500, 0, 0},
        {"changed just now", CARD_SAVE_FRAME, 1, 100, 101, 0, 0},
        {"one frame short of quiet", CARD_SAVE_FRAME, 1, 100, 159, 0, 0},
        {"quiet long enough", CARD_SAVE_FRAME, 1, 100, 160, 0, 1},
        {"quiet but the game is mid-write", CARD_SAVE_FRAME, 1, 100, 400, 1, 0},
        {"frame counter wrapped", CARD_SAVE_FRAME, 1, 0xFFFFFFF0u, 0x40, 0, 1},
        {"pause right after a change", CARD_SAVE_PAUSE, 1, 100, 101, 0, 1},
        {"pause with nothing changed", CARD_SAVE_PAUSE, 0, 0, 101, 0, 0},
        {"leave right after a change", CARD_SAVE_LEAVE, 1, 100, 100, 0, 1},
        {"leave while the game is mid-write", CARD_SAVE_LEAVE, 1, 100, 300, 1, 0},
    };
    for (const auto& c : cases) {
        card_save_policy p;
        card_save_policy_init(&p);
        EXPECT_EQ(card_save_due(&p, c.moment, c.changed, c.change_frame, c.now, c.busy), c.due) << c.what;
    }
}

TEST(CardSavePolicy, AfterAFailureOnlyANewerChangeOrAPauseTriesAgain) {
    card_save_policy p;
    card_save_policy_init(&p);
    ASSERT_TRUE(card_save_due(&p, CARD_SAVE_FRAME, 1, 100, 200, 0));
    EXPECT_EQ(card_save_done(&p, CARD_SAVE_NO_CARD, 100), 0); // not kept: the core is not told
    EXPECT_FALSE(card_save_due(&p, CARD_SAVE_FRAME, 1, 100, 201, 0));
    EXPECT_FALSE(card_save_due(&p, CARD_SAVE_FRAME, 1, 100, 5000, 0));
    EXPECT_TRUE(card_save_due(&p, CARD_SAVE_PAUSE, 1, 100, 5000, 0));
    EXPECT_FALSE(card_save_due(&p, CARD_SAVE_FRAME, 1, 300, 301, 0));
    EXPECT_TRUE(card_save_due(&p, CARD_SAVE_FRAME, 1, 300, 360, 0));
    EXPECT_EQ(card_save_done(&p, CARD_SAVE_DONE, 300), 1);
    EXPECT_TRUE(card_save_due(&p, CARD_SAVE_FRAME, 1, 100, 5000, 0));
}

TEST(CardSavePolicy, EachProblemIsShownOnceUntilASaveSucceeds) {
    card_save_policy p;
    card_save_policy_init(&p);
    const char* no_card = card_save_message(&p, CARD_SAVE_NO_CARD);
    ASSERT_NE(no_card, nullptr);
    EXPECT_STREQ(no_card, "NO MEMORY CARD IN SLOT A: PROGRESS WILL NOT BE KEPT");
    EXPECT_EQ(card_save_message(&p, CARD_SAVE_NO_CARD), nullptr);
    const char* full = card_save_message(&p, CARD_SAVE_FULL);
    ASSERT_NE(full, nullptr);
    EXPECT_NE(std::string(full).find("FULL"), std::string::npos);
    EXPECT_NE(card_save_message(&p, CARD_SAVE_DAMAGED), nullptr);
    EXPECT_EQ(card_save_message(&p, CARD_SAVE_FULL), nullptr);
    EXPECT_EQ(card_save_message(&p, CARD_SAVE_NO_FILE), nullptr);
    EXPECT_EQ(card_save_message(&p, CARD_SAVE_DONE), nullptr);
    EXPECT_NE(card_save_message(&p, CARD_SAVE_NO_CARD), nullptr); // the card went again
}

TEST(CardSaveName, OwnedByTheDiscNamedByTheCartridgeShowingTheTitle) {
    card_save_name n;
    card_save_name_for(&n, "QKSA01", "BPRE", "POCKET\x01GAME\0\0", "Pocket Game (Red)");
    EXPECT_EQ(std::string(n.id.game, 4), "QKSA");
    EXPECT_EQ(std::string(n.id.maker, 2), "01");
    EXPECT_STREQ(n.id.name, "ks_BPRE_POCKET_GAME");
    EXPECT_STREQ(n.title, "Pocket Game (Red)");
}

struct Saver {
    std::unique_ptr<card_fs> fs = std::make_unique<card_fs>();
    card_save_name name{};
    Saver() { card_save_name_for(&name, "QKSA01", "BPRE", "POCKET GAME", "Pocket Game"); }
    card_save_status store(MemCard& card, const std::vector<std::uint8_t>& data) {
        const card_device dev = card.device();
        return card_save_store(fs.get(), &dev, &name, 77, data.data(), static_cast<std::uint32_t>(data.size()));
    }
    card_save_status load(MemCard& card, std::vector<std::uint8_t>& out) {
        const card_device dev = card.device();
        std::vector<std::uint8_t> buf(128 * 1024);
        std::uint32_t size = 0;
        const auto s = card_save_load(fs.get(), &dev, &name, buf.data(), static_cast<std::uint32_t>(buf.size()), &size);
        out.assign(buf.begin(), buf.begin() + size);
        return s;
    }
};

TEST(CardSaveFile, RoundTripsEachSaveSizeAndShowsTheTitleFirst) {
    for (std::uint32_t size : {512u, 8192u, 32768u, 65536u, 131072u}) {
        MemCard card = formatted(16);
        Saver s;
        std::vector<std::uint8_t> data(size);
        for (std::uint32_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + size);
        ASSERT_EQ(s.store(card, data), CARD_SAVE_DONE) << size;
        std::vector<std::uint8_t> back;
        ASSERT_EQ(s.load(card, back), CARD_SAVE_DONE) << size;
        EXPECT_EQ(back, data) << size;
        // The card manager's first line is the title, at the comment offset 0.
        const std::uint8_t* dir = card.block(2);
        const std::uint16_t first = static_cast<std::uint16_t>(dir[0x36] << 8 | dir[0x37]);
        EXPECT_EQ(std::memcmp(card.block(first), "Pocket Game", 12), 0);
        EXPECT_EQ(dir[0x3C] | dir[0x3D] | dir[0x3E] | dir[0x3F], 0);
        EXPECT_EQ(dir[0x38] << 8 | dir[0x39], static_cast<int>((size + CARD_SAVE_DATA_OFFSET + 8191) / 8192));
        // One still icon in the card's 16-bit format, where the entry says.
        EXPECT_EQ(dir[0x2C] << 24 | dir[0x2D] << 16 | dir[0x2E] << 8 | dir[0x2F], 0x80);
        EXPECT_EQ(dir[0x30] << 8 | dir[0x31], 2);
        EXPECT_NE(dir[0x33] & 3, 0);
        EXPECT_EQ(dir[0x07], 0) << "no banner";
        std::uint8_t icon[CARD_ICON_BYTES];
        card_icon_make(icon);
        EXPECT_EQ(std::memcmp(card.block(first) + 0x80, icon, sizeof icon), 0);
    }
}

TEST(CardSaveFile, ReportsWhatStandsInTheWay) {
    std::vector<std::uint8_t> data(8192, 0xAB), back;
    {
        MemCard card = formatted(4);
        card.present = false;
        Saver s;
        EXPECT_EQ(s.store(card, data), CARD_SAVE_NO_CARD);
        EXPECT_EQ(s.load(card, back), CARD_SAVE_NO_CARD);
    }
    {
        MemCard card = formatted(4);
        Saver s;
        EXPECT_EQ(s.load(card, back), CARD_SAVE_NO_FILE);
        card.block(1)[5] ^= 1;
        card.block(2)[5] ^= 1;
        EXPECT_EQ(s.store(card, data), CARD_SAVE_DAMAGED);
    }
    {
        MemCard card = formatted(4);
        for (int i = 0; i < 58; ++i) card_test::add_other_file(card, i, {static_cast<std::uint16_t>(5 + i)}, 0);
        Saver s;
        EXPECT_EQ(s.store(card, data), CARD_SAVE_FULL);
    }
    { // Kept contents that no longer match their checksum.
        MemCard card = formatted(4);
        Saver s;
        ASSERT_EQ(s.store(card, data), CARD_SAVE_DONE);
        const std::uint16_t first = static_cast<std::uint16_t>(card.block(2)[0x36] << 8 | card.block(2)[0x37]);
        card.block(first)[CARD_SAVE_DATA_OFFSET + 100] ^= 0x10;
        EXPECT_EQ(s.load(card, back), CARD_SAVE_DAMAGED);
        EXPECT_TRUE(back.empty());
    }
}

// Files written before the icon keep their save at 0x80 and 0 where the
// data's place is now written; a place past the icon is not believed.
TEST(CardSaveFile, ReadsTheSaveWhereItsHeadSaysItIs) {
    std::vector<std::uint8_t> data(300), back;
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 5 + 1);
    struct Case {
        const char* what;
        std::uint32_t data_at;  // written at 0x4C
        std::uint32_t moved_to; // where the save is moved to in the file
        card_save_status want;
    } cases[] = {
        {"as written now", CARD_SAVE_DATA_OFFSET, CARD_SAVE_DATA_OFFSET, CARD_SAVE_DONE},
        {"before the icon", 0, 0x80, CARD_SAVE_DONE},
        {"inside the head", 0x40, CARD_SAVE_DATA_OFFSET, CARD_SAVE_DAMAGED},
        {"past the icon", CARD_SAVE_DATA_OFFSET + 4, CARD_SAVE_DATA_OFFSET + 4, CARD_SAVE_DAMAGED},
    };
    for (const auto& c : cases) {
        MemCard card = formatted(4);
        Saver s;
        ASSERT_EQ(s.store(card, data), CARD_SAVE_DONE);
        std::uint8_t* file = card.block(static_cast<std::uint16_t>(card.block(2)[0x36] << 8 | card.block(2)[0x37]));
        std::memmove(file + c.moved_to, file + CARD_SAVE_DATA_OFFSET, data.size());
        card_put32(file + 0x4C, c.data_at);
        EXPECT_EQ(s.load(card, back), c.want) << c.what;
        if (c.want == CARD_SAVE_DONE) {
            EXPECT_EQ(back, data) << c.what;
        }
    }
}

TEST(CardSaveFile, AnotherProgramsFileOfTheSameNameIsLeftAlone) {
    MemCard card = formatted(4);
    card_test::add_other_file(card, 0, {6, 5}, 9);
    Saver s;
    // Give the other program's file our identity, without our marker.
    for (std::uint32_t copy : {1u, 2u}) {
        std::memcpy(card.block(copy), "QKSA01", 6);
        std::memset(card.block(copy) + 8, 0, 32);
        std::memcpy(card.block(copy) + 8, s.name.id.name, 32);
        card.seal_dir(copy, 0);
    }
    const auto before = card.bytes;
    std::vector<std::uint8_t> data(100, 1), back;
    EXPECT_EQ(s.store(card, data), CARD_SAVE_FOREIGN);
    EXPECT_EQ(s.load(card, back), CARD_SAVE_FOREIGN);
    EXPECT_TRUE(card.bytes == before);
}

} // namespace
