// The boot program's hardware-free logic, run natively: menu table,
// controller words and menu state, lettering, framebuffer conversion.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include "common/font5x7.h"
#include "common/menu_state.h"
#include "common/menu_table.h"
#include "common/text.h"
#include "common/yuv.h"
}

namespace {

std::vector<std::uint8_t> table_of(const std::vector<std::string>& slots) {
    std::vector<std::uint8_t> table(BT_MENU_SLOT_COUNT * BT_MENU_SLOT_SIZE);
    for (int k = 0; k < BT_MENU_SLOT_COUNT; ++k) { // placeholders, as carried
        char text[17];
        std::snprintf(text, sizeof text, "000 GAMENUMB%03d", k + 1);
        std::memcpy(table.data() + k * BT_MENU_SLOT_SIZE, text, 16);
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        std::uint8_t* slot = table.data() + i * BT_MENU_SLOT_SIZE;
        std::memset(slot, 0, BT_MENU_SLOT_SIZE);
        std::memcpy(slot, slots[i].data(), std::min<std::size_t>(slots[i].size(), BT_MENU_SLOT_SIZE));
    }
    return table;
}

TEST(BootMenuTable, UsedSlotsRunToTheFirstEmptyOrPlaceholderSlot) {
    struct Case {
        const char* what;
        std::vector<std::string> slots;
        int count;
    };
    const std::string zero(16, '\0');
    const Case cases[] = {
        {"placeholders only", {}, 0},
        {"empty first slot", {zero, "002 LATER"}, 0},
        {"three, then the zero slot", {"001 A", "002 B", "003 C", zero}, 3},
        {"three, then placeholders", {"001 A", "002 B", "003 C"}, 3},
        {"a slot after the end is not counted", {"001 A", zero, "003 C"}, 1},
        {"odd bytes are a title like any other", {"001 \xFF\x01\x7F", "002 \x80TITLE"}, 2},
        {"a full 16-byte slot", {"001 ELEVENCHARS!"}, 1},
        {"a placeholder word with another number", {"001 A", "000 GAMENUMB999"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto table = table_of(c.slots);
        EXPECT_EQ(bt_menu_count(table.data(), BT_MENU_SLOT_COUNT), c.count);
    }
    std::vector<std::string> all(BT_MENU_SLOT_COUNT, "999 FULL");
    EXPECT_EQ(bt_menu_count(table_of(all).data(), BT_MENU_SLOT_COUNT), BT_MENU_SLOT_COUNT);
}

TEST(BootMenuTable, SlotTextStopsAtNulOrSlotEnd) {
    const auto table = table_of({"001 MARIO", "002 ELEVENCHARS!", "003 \xFF\x01"});
    char text[BT_MENU_SLOT_SIZE + 1];
    bt_menu_text(table.data(), 0, text);
    EXPECT_STREQ(text, "001 MARIO");
    bt_menu_text(table.data(), 1, text);
    EXPECT_STREQ(text, "002 ELEVENCHARS!");
    bt_menu_text(table.data(), 2, text);
    EXPECT_STREQ(text, "003 \xFF\x01");
}

TEST(BootPad, StatusWordToKeys) {
    struct Case {
        std::uint32_t word;
        unsigned keys;
    };
    const Case cases[] = {
        {0x00808080, 0},                                 // neutral
        {0x00848080, BT_KEY_DOWN},                       // pad down
        {0x00888080, BT_KEY_UP},                         // pad up
        {0x008080F0, BT_KEY_UP},                         // stick up
        {0x00808010, BT_KEY_DOWN},                       // stick down
        {0x008080A0, 0},                                 // stick inside the dead zone
        {0x01808080, BT_KEY_A},                          // A
        {0x02808080, BT_KEY_B},                          // B
        {0x03848080, BT_KEY_A | BT_KEY_B | BT_KEY_DOWN}, // several at once
        {0x04808080, BT_KEY_X},                          // X
        {0x08808080, BT_KEY_Y},                          // Y
        {0x10808080, 0},                                 // Start is not a menu key
        {0x80000000, 0},                                 // no controller
        {0x81848080, 0},                                 // error bit wins over buttons
    };
    for (const Case& c : cases) EXPECT_EQ(bt_pad_keys(c.word), c.keys) << std::hex << c.word;
}

struct Step {
    unsigned keys;
    int fields; // how long they are held
};

bt_menu_state run(int count, int rows, const std::vector<Step>& steps, std::vector<int>* events = nullptr) {
    bt_menu_state s;
    bt_menu_init(&s, count, rows);
    for (const Step& step : steps)
        for (int f = 0; f < step.fields; ++f) {
            const int e = bt_menu_input(&s, step.keys);
            if (events != nullptr && e != BT_EVENT_NONE) events->push_back(e);
        }
    return s;
}

TEST(BootMenuState, MovesWrapsRepeatsOpensAndGoesBack) {
    struct Case {
        const char* what;
        int count, rows;
        std::vector<Step> steps;
        int cursor, top, page;
    };
    const Step down{BT_KEY_DOWN, 1}, up{BT_KEY_UP, 1}, none{0, 1}, y{BT_KEY_Y, 1}, b{BT_KEY_B, 1}, a{BT_KEY_A, 1};
    const Case cases[] = {
        {"down twice", 3, 17, {down, none, down, none}, 2, 0, BT_PAGE_MENU},
        {"a held key moves once until the repeat starts",
         3,
         17,
         {{BT_KEY_DOWN, BT_REPEAT_DELAY - 1}},
         1,
         0,
         BT_PAGE_MENU},
        {"up from the top wraps to the last", 5, 17, {up}, 4, 0, BT_PAGE_MENU},
        {"down from the last wraps to the first", 2, 17, {down, none, down, none}, 0, 0, BT_PAGE_MENU},
        {"held down repeats and stops at the end", 10, 4, {{BT_KEY_DOWN, 400}}, 9, 6, BT_PAGE_MENU},
        {"repeat rate", 100, 8, {{BT_KEY_DOWN, BT_REPEAT_DELAY + 2 * BT_REPEAT_RATE}}, 3, 0, BT_PAGE_MENU},
        {"scrolling keeps the cursor on screen", 252, 8, {up}, 251, 244, BT_PAGE_MENU},
        {"up and down together do nothing", 5, 8, {{BT_KEY_UP | BT_KEY_DOWN, 50}}, 0, 0, BT_PAGE_MENU},
        {"Y opens the details", 3, 17, {down, none, down, none, y}, 2, 0, BT_PAGE_DETAILS},
        {"A plays and stays on the menu", 3, 17, {down, none, a}, 1, 0, BT_PAGE_MENU},
        {"keys other than B do nothing on the details",
         3,
         17,
         {y, none, down, none, up, none, y, a},
         0,
         0,
         BT_PAGE_DETAILS},
        {"B goes back", 3, 17, {down, y, none, b}, 1, 0, BT_PAGE_MENU},
        {"an empty menu ignores everything", 0, 17, {down, none, y, none, a, up}, 0, 0, BT_PAGE_MENU},
        {"Y held through the way back does not reopen", 3, 17, {y, {BT_KEY_B | BT_KEY_Y, 3}}, 0, 0, BT_PAGE_MENU},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bt_menu_state s = run(c.count, c.rows, c.steps);
        EXPECT_EQ(s.cursor, c.cursor);
        EXPECT_EQ(s.top, c.top);
        EXPECT_EQ(s.page, c.page);
        EXPECT_TRUE(s.count == 0 || (s.cursor >= s.top && s.cursor < s.top + s.rows));
    }
}

TEST(BootMenuState, EventsTellWhatChanged) {
    std::vector<int> events;
    run(3, 17,
        {{BT_KEY_DOWN, 1},
         {0, 1},
         {BT_KEY_Y, 2},
         {BT_KEY_B, 1},
         {0, 1},
         {BT_KEY_DOWN, 1},
         {BT_KEY_A, 3},
         {0, 1},
         {BT_KEY_A, 1}},
        &events);
    EXPECT_EQ(events, (std::vector<int>{BT_EVENT_MOVED, BT_EVENT_OPEN, BT_EVENT_BACK, BT_EVENT_MOVED, BT_EVENT_PLAY,
                                        BT_EVENT_PLAY}));
}

TEST(BootText, ZoomMetricsFitTheMenuPanel) {
    const int scales[BT_ZOOM_COUNT] = {2, 3, 4};
    for (int zoom = 0; zoom < BT_ZOOM_COUNT; ++zoom) {
        SCOPED_TRACE(zoom);
        const bt_text_metrics m = bt_zoom_metrics(zoom);
        EXPECT_EQ(m.scale, scales[zoom]);
        EXPECT_GE(m.rows, 7);
        EXPECT_LE(m.rows * m.row_height, BT_PANEL_HEIGHT);
        EXPECT_GT(m.row_height, BT_GLYPH_HEIGHT * m.scale); // rows do not touch
        // A whole slot (16 characters) and the row's inset fit the panel.
        EXPECT_LE(bt_text_width(BT_MENU_SLOT_SIZE, m.scale) + 8 * m.scale, BT_PANEL_WIDTH);
    }
    EXPECT_EQ(bt_zoom_metrics(7).scale, bt_zoom_metrics(0).scale); // out of range: normal
    EXPECT_EQ(bt_zoom_metrics(-1).scale, bt_zoom_metrics(0).scale);
}

TEST(BootText, DrawsGlyphPixelsAtEachScale) {
    for (int scale = 1; scale <= 4; ++scale) {
        SCOPED_TRACE(scale);
        std::vector<std::uint32_t> px(100 * 60, 0);
        bt_canvas c{px.data(), 100, 60};
        const int end = bt_draw_text(&c, 3, 5, scale, "I|", 8, 0xFFFFFF);
        EXPECT_EQ(end, 3 + 2 * 6 * scale);
        int minx = 100, maxx = -1, miny = 60, maxy = -1, lit = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x)
                if (px[static_cast<std::size_t>(y * 100 + x)] != 0) {
                    ++lit;
                    minx = std::min(minx, x), maxx = std::max(maxx, x);
                    miny = std::min(miny, y), maxy = std::max(maxy, y);
                }
        // "I" is 3 columns wide from column 1; "|" one column at column 2 of its cell.
        EXPECT_EQ(minx, 3 + scale);
        EXPECT_EQ(maxx, 3 + 6 * scale + 3 * scale - 1);
        EXPECT_EQ(miny, 5);
        EXPECT_EQ(maxy, 5 + 7 * scale - 1);
        EXPECT_EQ(lit, (3 + 5 + 3 + 7) * scale * scale); // "I": 3, five times 1, 3; "|": 7
    }
}

TEST(BootText, EveryPrintableCharacterHasAGlyphAndOddBytesABox) {
    for (int c = 0x21; c < 0x7F; ++c) {
        const std::uint8_t* rows = bt_glyph(static_cast<unsigned char>(c));
        int lit = 0;
        for (int r = 0; r < BT_GLYPH_HEIGHT; ++r) {
            EXPECT_EQ(rows[r] & ~0x1Fu, 0u) << c;
            lit += rows[r] != 0;
        }
        EXPECT_GT(lit, 0) << "blank glyph for " << static_cast<char>(c);
    }
    for (int odd : {0x00, 0x01, 0x1F, 0x7F, 0x80, 0xFF})
        EXPECT_EQ(bt_glyph(static_cast<unsigned char>(odd)), bt_glyph(0x01));
    EXPECT_NE(bt_glyph(0x01), bt_glyph(' '));
    std::vector<std::uint32_t> px(20 * 10, 0);
    bt_canvas c{px.data(), 20, 10};
    bt_draw_text(&c, -2, -3, 1, "\xFF", 1, 7); // clipped at the canvas edge, not outside it
    EXPECT_EQ(px[0], 0u);                      // the box's row 3 lands on row 0: its sides at x = -2 and 2
    EXPECT_EQ(px[2], 7u);
}

TEST(BootYuv, KnownColoursAndPairs) {
    struct Case {
        std::uint32_t left, right, word;
    };
    const Case cases[] = {
        {0x000000, 0x000000, 0x10801080}, // black
        {0xFFFFFF, 0xFFFFFF, 0xEB80EB80}, // white
        {0x808080, 0x808080, 0x7E807E80}, // grey
        {0xFF0000, 0xFF0000, 0x525A52F0}, // red
        {0x0000FF, 0x0000FF, 0x29F0296E}, // blue
        {0x000000, 0xFFFFFF, 0x1080EB80}, // chroma averaged over the pair
    };
    for (const Case& c : cases) EXPECT_EQ(bt_yuv_pair(c.left, c.right), c.word) << std::hex << c.left << "/" << c.right;
}

TEST(BootYuv, CanvasConversionAndRoundTrip) {
    std::vector<std::uint32_t> px;
    for (std::uint32_t v = 0; v < 256; v += 5) px.push_back(v << 16 | (255 - v) << 8 | (v * 7 & 0xFF));
    if (px.size() % 2 != 0) px.push_back(0);
    bt_canvas c{px.data(), static_cast<int>(px.size()), 1};
    std::vector<std::uint32_t> words(px.size() / 2);
    bt_yuv_from_canvas(&c, words.data());
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(words[i], bt_yuv_pair(px[2 * i], px[2 * i + 1]));
        const std::uint32_t y0 = words[i] >> 24, y1 = words[i] >> 8 & 0xFF;
        EXPECT_TRUE(y0 >= 16 && y0 <= 235 && y1 >= 16 && y1 <= 235);
    }
    for (std::uint32_t grey = 0; grey < 256; grey += 3) { // equal pixels come back within rounding
        std::uint32_t l, r;
        const std::uint32_t p = grey * 0x010101u;
        bt_rgb_from_yuv_pair(bt_yuv_pair(p, p), &l, &r);
        for (int shift : {0, 8, 16}) EXPECT_NEAR(static_cast<int>(l >> shift & 0xFF), static_cast<int>(grey), 2);
        EXPECT_EQ(l, r);
    }
}

} // namespace
