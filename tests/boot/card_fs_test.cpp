// The memory card's file system over card images made here: mounting and
// the choice of table copies, creating, finding, rewriting and listing
// files, a full card, and power cuts between any two block writes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "boot/card_image.hpp"

using card_test::add_other_file;
using card_test::formatted;
using card_test::kBlock;
using card_test::MemCard;

namespace {

card_file_id id_of(const char* six, const std::string& name) {
    card_file_id id{};
    std::memcpy(id.game, six, 4);
    std::memcpy(id.maker, six + 4, 2);
    std::memcpy(id.name, name.data(), std::min<std::size_t>(name.size(), sizeof id.name));
    return id;
}

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed ^ (i * 31 + i / 251));
    return v;
}

// A card_fs is 24 KiB: kept off the stack.
struct Fs {
    std::unique_ptr<card_fs> fs = std::make_unique<card_fs>();
    card_result mount(MemCard& card) {
        const card_device dev = card.device();
        return card_fs_mount(fs.get(), &dev);
    }
    card_result write(const card_file_id& id, const std::vector<std::uint8_t>& body) {
        card_entry_look look{};
        look.time = 1234;
        const std::uint8_t head[4] = {'H', 'E', 'A', 'D'};
        return card_fs_write_file(fs.get(), &id, &look, head, sizeof head, body.data(),
                                  static_cast<std::uint32_t>(body.size()));
    }
    // The body written by write(), or empty when the file is not there.
    std::vector<std::uint8_t> body(const card_file_id& id, std::size_t n) {
        const int slot = card_fs_find(fs.get(), &id);
        if (slot < 0) return {};
        std::vector<std::uint8_t> out(n);
        if (card_fs_read(fs.get(), slot, 4, out.data(), static_cast<std::uint32_t>(n)) != CARD_OK) return {};
        return out;
    }
};

// The other program's file: its blocks, entry and BAT links.
struct OtherFile {
    std::vector<std::uint16_t> blocks{7, 5, 9};
    std::vector<std::uint8_t> snapshot(MemCard& card) const {
        std::vector<std::uint8_t> s;
        for (auto b : blocks) s.insert(s.end(), card.block(b), card.block(b) + kBlock);
        return s;
    }
};

const card_file_id kSave = id_of("QKSA01", "ks_BPRE_POCKET GAME");

TEST(CardChecksum, SumsWordsAndComplementsWithAllOnesMadeZero) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint16_t sum, inverse;
    } cases[] = {
        {{0x00, 0x01, 0x00, 0x02}, 0x0003, 0xFFFB},
        {{0xFF, 0xFF}, 0x0000, 0x0000},             // 0xFFFF both ways becomes 0
        {{0x80, 0x00, 0x80, 0x00}, 0x0000, 0xFFFE}, // carries drop out
        {{0x12, 0x34}, 0x1234, 0xEDCB},
    };
    for (const auto& c : cases) {
        std::uint16_t sum = 1, inverse = 1;
        card_checksum(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size()), &sum, &inverse);
        EXPECT_EQ(sum, c.sum);
        EXPECT_EQ(inverse, c.inverse);
    }
}

TEST(CardMount, FreshCardsOfEachSizeHaveAllButFiveBlocksFree) {
    for (std::uint16_t mbit : {std::uint16_t{4}, std::uint16_t{16}, std::uint16_t{64}}) {
        MemCard card = formatted(mbit);
        Fs fs;
        ASSERT_EQ(fs.mount(card), CARD_OK) << mbit;
        EXPECT_EQ(card_fs_free_blocks(fs.fs.get()), mbit * 16u - 5u);
        card_file_info info[4];
        EXPECT_EQ(card_fs_list(fs.fs.get(), info, 4), 0);
    }
}

TEST(CardMount, PicksTheValidNewerCopyOfEachTable) {
    // After one write the file is in the second copies (counter 1); the
    // first copies still hold the empty card (counter 0).
    struct Case {
        const char* what;
        std::vector<std::uint32_t> spoil; // blocks whose contents are scrambled
        card_result result;
        bool file_seen;
    } cases[] = {
        {"both copies good: the newer", {}, CARD_OK, true},
        {"newer directory spoilt: the older", {2}, CARD_OK, false},
        {"older directory spoilt: the newer", {1}, CARD_OK, true},
        {"both directories spoilt", {1, 2}, CARD_ERR_DAMAGED, false},
        {"both BATs spoilt", {3, 4}, CARD_ERR_DAMAGED, false},
        {"header spoilt", {0}, CARD_ERR_DAMAGED, false},
    };
    for (const auto& c : cases) {
        MemCard card = formatted(4);
        Fs fs;
        ASSERT_EQ(fs.mount(card), CARD_OK);
        ASSERT_EQ(fs.write(kSave, pattern(100, 1)), CARD_OK);
        for (auto b : c.spoil) card.block(b)[100] ^= 0x5A;
        Fs again;
        EXPECT_EQ(again.mount(card), c.result) << c.what;
        if (c.result == CARD_OK) {
            EXPECT_EQ(card_fs_find(again.fs.get(), &kSave) >= 0, c.file_seen) << c.what;
        }
    }
}

TEST(CardMount, ABatWhoseLinksLeaveTheCardCountsAsDamaged) {
    struct Case {
        std::uint16_t link;
        bool kept;
    } cases[] = {{0x0006, true}, {0xFFFF, true}, {0x0040, false}, {0x0004, false}, {0x8000, false}};
    for (const auto& c : cases) {
        MemCard card = formatted(4); // 64 blocks
        card_test::put16(card.block(4) + 2 * 5, c.link);
        card.seal_bat(4, 1);
        Fs fs;
        ASSERT_EQ(fs.mount(card), CARD_OK) << c.link;
        EXPECT_EQ(fs.fs->bat_block, c.kept ? 4u : 3u) << c.link;
        EXPECT_EQ(card_fs_free_blocks(fs.fs.get()), c.kept ? 58u : 59u) << c.link;
    }
}

TEST(CardMount, UpdateCountersWrapAround) {
    MemCard card = formatted(4);
    add_other_file(card, 0, {5}, 1);
    // Copy 1: no file, counter 0xFFFF; copy 2: the file, counter 0 (newer).
    std::memset(card.block(1), 0xFF, 0x40);
    card.seal_dir(1, 0xFFFF);
    card.seal_dir(2, 0x0000);
    Fs fs;
    ASSERT_EQ(fs.mount(card), CARD_OK);
    card_file_info info[2];
    EXPECT_EQ(card_fs_list(fs.fs.get(), info, 2), 1);
}

TEST(CardFiles, CreateFindRewriteAndListLeaveOtherFilesAlone) {
    MemCard card = formatted(4);
    const OtherFile other;
    add_other_file(card, 3, other.blocks, 0x40);
    const auto other_before = other.snapshot(card);
    Fs fs;
    ASSERT_EQ(fs.mount(card), CARD_OK);
    EXPECT_EQ(card_fs_free_blocks(fs.fs.get()), 59u - 3u);

    struct Step {
        std::size_t size; // body bytes (plus the 4-byte head)
        std::uint32_t blocks;
    } steps[] = {{100, 1}, {kBlock - 4, 1}, {kBlock - 3, 2}, {5 * kBlock, 6}, {10, 1}};
    std::uint8_t seed = 1;
    for (const auto& s : steps) {
        const auto body = pattern(s.size, seed++);
        ASSERT_EQ(fs.write(kSave, body), CARD_OK) << s.size;
        EXPECT_EQ(fs.body(kSave, s.size), body);
        EXPECT_EQ(card_fs_free_blocks(fs.fs.get()), 56u - s.blocks) << s.size; // old blocks given back

        Fs again; // what a fresh mount sees
        ASSERT_EQ(again.mount(card), CARD_OK);
        EXPECT_EQ(again.body(kSave, s.size), body);
        card_file_info info[4];
        ASSERT_EQ(card_fs_list(again.fs.get(), info, 4), 2);
        EXPECT_EQ(std::memcmp(info[0].id.name, "ks_BPRE_POCKET GAME", 19), 0);
        EXPECT_EQ(info[0].block_count, s.blocks);
        EXPECT_EQ(std::memcmp(info[1].id.game, "QOTH", 4), 0);
        EXPECT_EQ(info[1].first_block, 7);
        EXPECT_EQ(other.snapshot(card), other_before);
    }
    const card_file_id elsewhere = id_of("QKSA01", "ks_BPRE_POCKET GAMF");
    EXPECT_EQ(card_fs_find(fs.fs.get(), &elsewhere), -1);
}

TEST(CardFiles, AFullCardRefusesAndStaysAsItWas) {
    struct Case {
        const char* what;
        int other_files; // one-block files of other programs
        std::size_t body;
    } cases[] = {
        {"too few free blocks", 0, 60 * kBlock},
        {"room for one more block only", 58, kBlock},
        {"directory full", 127, 10},
    };
    for (const auto& c : cases) {
        MemCard card = formatted(c.other_files > 59 ? 64 : 4);
        for (int i = 0; i < c.other_files; ++i)
            add_other_file(card, i, {static_cast<std::uint16_t>(5 + i)}, static_cast<std::uint8_t>(i));
        const auto before = card.bytes;
        Fs fs;
        ASSERT_EQ(fs.mount(card), CARD_OK) << c.what;
        EXPECT_EQ(fs.write(kSave, pattern(c.body, 3)), CARD_ERR_FULL) << c.what;
        EXPECT_EQ(card.writes, 0) << c.what;
        EXPECT_TRUE(card.bytes == before) << c.what;
    }
}

// Cuts the power before each block write of a rewrite (or a first write)
// in turn; a fresh mount then shows the old contents or the new, never a
// mix, and the other program's file as it was. Power back, the next write
// works and the blocks kept aside are given back.
TEST(CardFiles, PowerCutBetweenAnyTwoBlockWritesKeepsTheLastSave) {
    const OtherFile other;
    for (bool first_write : {true, false}) {
        const auto old_body = pattern(3 * kBlock, 0x11);
        const auto new_body = pattern(2 * kBlock + 77, 0x22);
        MemCard base = formatted(4);
        add_other_file(base, 0, other.blocks, 0x33);
        if (!first_write) {
            Fs fs;
            ASSERT_EQ(fs.mount(base), CARD_OK);
            ASSERT_EQ(fs.write(kSave, old_body), CARD_OK);
        }
        const auto other_before = other.snapshot(base);
        MemCard probe = base; // how many writes a whole rewrite takes
        {
            Fs fs;
            ASSERT_EQ(fs.mount(probe), CARD_OK);
            probe.writes = 0;
            ASSERT_EQ(fs.write(kSave, new_body), CARD_OK);
        }
        const int total = probe.writes;
        EXPECT_EQ(total, first_write ? 3 + 2 : 3 + 3);
        for (int cut = 0; cut < total; ++cut) {
            MemCard card = base;
            Fs fs;
            ASSERT_EQ(fs.mount(card), CARD_OK);
            card.writes = 0;
            card.cut_after = cut;
            EXPECT_NE(fs.write(kSave, new_body), CARD_OK) << cut;

            card.present = true; // power back
            card.cut_after = -1;
            Fs again;
            ASSERT_EQ(again.mount(card), CARD_OK) << cut;
            const auto seen_new = again.body(kSave, new_body.size());
            const auto seen_old = again.body(kSave, old_body.size());
            const bool dir_written = cut >= 5; // writes: data 0-2, BAT 3, directory 4
            if (dir_written) {
                EXPECT_EQ(seen_new, new_body) << cut;
            } else if (first_write) {
                EXPECT_EQ(card_fs_find(again.fs.get(), &kSave), -1) << cut;
            } else {
                EXPECT_EQ(seen_old, old_body) << cut;
            }
            EXPECT_EQ(other.snapshot(card), other_before) << cut;

            ASSERT_EQ(again.write(kSave, new_body), CARD_OK) << cut;
            EXPECT_EQ(card_fs_free_blocks(again.fs.get()), 59u - 3u - 3u) << cut;
            Fs last;
            ASSERT_EQ(last.mount(card), CARD_OK);
            EXPECT_EQ(last.body(kSave, new_body.size()), new_body) << cut;
            EXPECT_EQ(other.snapshot(card), other_before) << cut;
        }
    }
}

TEST(CardFiles, ReadsStayInsideTheFileAndTheCard) {
    MemCard card = formatted(4);
    Fs fs;
    ASSERT_EQ(fs.mount(card), CARD_OK);
    ASSERT_EQ(fs.write(kSave, pattern(100, 5)), CARD_OK);
    const int slot = card_fs_find(fs.fs.get(), &kSave);
    std::vector<std::uint8_t> out(2 * kBlock);
    EXPECT_EQ(card_fs_read(fs.fs.get(), slot, kBlock - 10, out.data(), 10), CARD_OK);
    EXPECT_EQ(card_fs_read(fs.fs.get(), slot, kBlock - 10, out.data(), 11), CARD_ERR_RANGE);
    EXPECT_EQ(card_fs_read(fs.fs.get(), slot, 0xFFFFFFF0u, out.data(), 0x20), CARD_ERR_RANGE);
    EXPECT_EQ(card_fs_read(fs.fs.get(), 127, 0, out.data(), 1), CARD_ERR_RANGE);
    EXPECT_EQ(card_fs_read(fs.fs.get(), slot + 1, 0, out.data(), 1), CARD_ERR_NOT_FOUND);

    // An entry claiming more blocks than its chain holds stops at the end.
    std::uint8_t* e = card.block(2) + slot * 64;
    card_test::put16(e + 0x38, 2);
    card.seal_dir(2, 1);
    Fs again;
    ASSERT_EQ(again.mount(card), CARD_OK);
    EXPECT_EQ(card_fs_read(again.fs.get(), slot, 0, out.data(), 2 * kBlock), CARD_ERR_DAMAGED);
}

// Tables with valid checksums but nonsense inside (entries pointing
// anywhere, chains looping into each other): reading and writing stay on
// the card and inside the buffers, and the header is never written.
TEST(CardFiles, NonsenseTablesWithGoodChecksumsAreHandledSafely) {
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (int round = 0; round < 40; ++round) {
        MemCard card = formatted(4);
        for (std::uint32_t copy : {1u, 2u}) {
            for (std::uint32_t i = 0; i < 0x1FC0; ++i)
                card.block(copy)[i] = (i % 64 < 8 && next() % 4 == 0) ? 0xFF : static_cast<std::uint8_t>(next());
            card.seal_dir(copy, static_cast<std::uint16_t>(round));
        }
        for (std::uint32_t copy : {3u, 4u}) {
            for (std::uint32_t b = 5; b < 64; ++b) {
                const std::uint32_t r = next() % 4;
                card_test::put16(card.block(copy) + 2 * b, static_cast<std::uint16_t>(r == 0   ? 0
                                                                                      : r == 1 ? 0xFFFF
                                                                                               : 5 + next() % 59));
            }
            card.seal_bat(copy, static_cast<std::uint16_t>(round));
        }
        const std::vector<std::uint8_t> header(card.block(0), card.block(0) + kBlock);
        Fs fs;
        ASSERT_EQ(fs.mount(card), CARD_OK) << round;
        std::vector<std::uint8_t> out(64 * kBlock);
        for (int slot = 0; slot < 127; ++slot) {
            const card_result r =
                card_fs_read(fs.fs.get(), slot, next() % (3 * kBlock), out.data(), next() % (4 * kBlock));
            EXPECT_TRUE(r == CARD_OK || r == CARD_ERR_RANGE || r == CARD_ERR_DAMAGED || r == CARD_ERR_NOT_FOUND);
        }
        card_file_info info[127];
        EXPECT_LE(card_fs_list(fs.fs.get(), info, 127), 127);
        const card_result w = fs.write(kSave, pattern(next() % (3 * kBlock), 9));
        EXPECT_TRUE(w == CARD_OK || w == CARD_ERR_FULL) << round;
        EXPECT_TRUE(std::equal(header.begin(), header.end(), card.block(0))) << round;
    }
}

} // namespace
