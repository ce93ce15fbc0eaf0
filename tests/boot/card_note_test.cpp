// The memory card's notice: how its text breaks into lines, and that every
// message the card code can give fits the box whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
#include "common/card_note.h"
#include "common/card_save.h"
#include "common/text.h"
}

namespace {

std::vector<std::string> lines_of(const char* text, int max_chars, int max_lines = CARD_NOTE_MAX_LINES) {
    card_note_line lines[8];
    const int n = card_note_lines(text, max_chars, lines, max_lines);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.emplace_back(text + lines[i].start, static_cast<std::size_t>(lines[i].length));
    return out;
}

TEST(CardNote, BreaksAfterAColonAtSpacesAndCutsOnlyWordsLongerThanALine) {
    struct Case {
        const char* what;
        const char* text;
        int max_chars;
        std::vector<std::string> want;
    } cases[] = {
        {"fits", "CARD FULL", 20, {"CARD FULL"}},
        {"after the reason", "NO CARD: PROGRESS LOST", 40, {"NO CARD:", "PROGRESS LOST"}},
        {"at the last space that fits", "AAA BBB CCC DDD", 9, {"AAA BBB", "CCC DDD"}},
        {"a line exactly full, then a space", "AAAA BBBB", 4, {"AAAA", "BBBB"}},
        {"exactly full at the end", "AAAA", 4, {"AAAA"}},
        {"a word longer than a line", "ABCDEFGHIJ K", 4, {"ABCD", "EFGH", "IJ K"}},
        {"spaces at line starts dropped", "AB   CD", 3, {"AB", "CD"}},
        {"colon as the last that fits", "ABC: DEF", 4, {"ABC:", "DEF"}},
        {"a colon without a space stays", "A:B C", 10, {"A:B C"}},
        {"nothing", "", 10, {}},
        {"only spaces", "   ", 10, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(lines_of(c.text, c.max_chars), c.want) << c.what;
}

TEST(CardNote, DropsTextBeyondTheLastLine) {
    EXPECT_EQ(lines_of("A: B: C: D", 10, 3), (std::vector<std::string>{"A:", "B:", "C:"}));
    EXPECT_TRUE(lines_of("ABC", 0).empty());
}

// Every message the card code gives, in the box as drawn: whole words, all
// of them, within its lines.
TEST(CardNote, EveryCardMessageFitsTheBoxWhole) {
    const int cell = bt_text_width(1, CARD_NOTE_SCALE) + CARD_NOTE_SCALE;
    const int max_chars = (CARD_NOTE_WIDTH - 32) / cell;
    for (card_save_status st :
         {CARD_SAVE_NO_CARD, CARD_SAVE_FULL, CARD_SAVE_DAMAGED, CARD_SAVE_FOREIGN, CARD_SAVE_FAILED}) {
        card_save_policy p;
        card_save_policy_init(&p);
        const char* text = card_save_message(&p, st);
        ASSERT_NE(text, nullptr);
        const auto lines = lines_of(text, max_chars);
        std::string joined;
        for (const auto& line : lines) {
            EXPECT_LE(static_cast<int>(line.size()), max_chars) << text;
            EXPECT_NE(line.back(), ' ') << text;
            joined += (joined.empty() ? "" : " ") + line;
        }
        EXPECT_EQ(joined, text) << "words were cut or lost";
    }
}

TEST(CardNote, DrawsAFramedBoxWithCentredInkInsideIt) {
    std::vector<std::uint32_t> px(CARD_NOTE_WIDTH * CARD_NOTE_HEIGHT, 0x123456u);
    bt_canvas box{px.data(), CARD_NOTE_WIDTH, CARD_NOTE_HEIGHT};
    card_note_draw(&box, "NO MEMORY CARD IN SLOT A: PROGRESS WILL NOT BE KEPT");
    const std::uint32_t paper = px[CARD_NOTE_WIDTH * 5 + 1], frame = px[0], white = BT_RGB(255, 255, 255);
    EXPECT_NE(paper, frame);
    EXPECT_EQ(px.back(), frame);
    int left = CARD_NOTE_WIDTH, right = -1, top = CARD_NOTE_HEIGHT, bottom = -1;
    for (int y = 0; y < CARD_NOTE_HEIGHT; ++y)
        for (int x = 0; x < CARD_NOTE_WIDTH; ++x) {
            const std::uint32_t c = px[static_cast<std::size_t>(y * CARD_NOTE_WIDTH + x)];
            ASSERT_NE(c, 0x123456u) << "a pixel left undrawn at " << x << "," << y;
            if (c != white) continue;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, 0) << "no text";
    EXPECT_LE(std::abs(left - (CARD_NOTE_WIDTH - 1 - right)), 2 * CARD_NOTE_SCALE) << "not centred across";
    EXPECT_LE(std::abs(top - (CARD_NOTE_HEIGHT - 1 - bottom)), 2 * CARD_NOTE_SCALE) << "not centred down";
    EXPECT_GT(bottom - top, 20) << "two lines expected";
}

} // namespace
