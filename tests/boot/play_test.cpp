// Playing a game, natively: where the picture goes for each zoom and what
// it holds, the controller in a game, the pause menu and the load plan.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

extern "C" {
#include "common/divide.h"
#include "common/menu_state.h"
#include "common/play.h"
#include "common/yuv.h"
}

namespace {

constexpr int kScreenWords = 640 * 480 / 2;
constexpr std::uint32_t kUntouched = 0xDEADBEEFu;

std::uint32_t widened_rgb(std::uint16_t c) {
    auto w = [](std::uint32_t v) { return v << 3 | v >> 2; };
    return w(c & 31u) << 16 | w(c >> 5 & 31u) << 8 | w(c >> 10 & 31u);
}

struct Picture {
    std::vector<std::uint32_t> table = std::vector<std::uint32_t>(BT_COLOUR_COUNT);
    std::vector<std::uint16_t> frame = std::vector<std::uint16_t>(BT_GAME_WIDTH * BT_GAME_HEIGHT);
    std::vector<std::uint32_t> words = std::vector<std::uint32_t>(kScreenWords, kUntouched);
    Picture() {
        bt_play_colour_table(table.data());
        // Every handheld pixel its own colour, so a wrong row or column shows.
        for (int y = 0; y < BT_GAME_HEIGHT; ++y)
            for (int x = 0; x < BT_GAME_WIDTH; ++x)
                frame[static_cast<std::size_t>(y * BT_GAME_WIDTH + x)] =
                    static_cast<std::uint16_t>((x * 131 + y * 257) & 0x7FFF);
    }
};

TEST(BootPlay, PictureSizeAndPlaceForEachZoom) {
    struct Case {
        int zoom;
        bt_rect want;
    };
    const Case cases[] = {
        {0, {80, 80, 480, 320}}, // twice the size, centred
        {1, {0, 26, 640, 427}},  // the largest with the handheld's shape
        {2, {0, 0, 640, 480}},   // the whole screen
        {3, {80, 80, 480, 320}}, // unknown: as 0
        {-1, {80, 80, 480, 320}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        const bt_rect r = bt_play_rect(c.zoom);
        EXPECT_EQ(r.x, c.want.x);
        EXPECT_EQ(r.y, c.want.y);
        EXPECT_EQ(r.width, c.want.width);
        EXPECT_EQ(r.height, c.want.height);
    }
}

TEST(BootPlay, EveryHandheldColumnAndRowShowsInOrder) {
    for (int zoom = 0; zoom < 3; ++zoom) {
        SCOPED_TRACE(zoom);
        const bt_rect r = bt_play_rect(zoom);
        std::vector<std::uint8_t> columns(static_cast<std::size_t>(r.width));
        bt_play_columns(&r, columns.data());
        std::vector<int> seen(BT_GAME_WIDTH, 0);
        for (int x = 0; x < r.width; ++x) {
            ++seen[columns[static_cast<std::size_t>(x)]];
            if (x > 0) {
                EXPECT_LE(columns[static_cast<std::size_t>(x)] - columns[static_cast<std::size_t>(x - 1)], 1);
            }
        }
        // Nearest neighbour: each column shown floor or ceil of the scale times.
        for (int n : seen) {
            EXPECT_GE(n * BT_GAME_WIDTH, r.width - BT_GAME_WIDTH);
            EXPECT_LE(n * BT_GAME_WIDTH, r.width + BT_GAME_WIDTH);
        }
        EXPECT_EQ(bt_play_source_row(&r, 0), 0);
        EXPECT_EQ(bt_play_source_row(&r, r.height - 1), BT_GAME_HEIGHT - 1);
    }
}

TEST(BootPlay, ColourTableWidensEachChannel) {
    std::vector<std::uint32_t> table(BT_COLOUR_COUNT);
    bt_play_colour_table(table.data());
    EXPECT_EQ(table[0x7FFF], 0xEB80EB80u); // white: Y 235, no chroma
    EXPECT_EQ(table[0x0000], 0x10801080u); // black: Y 16
    for (std::uint16_t c : {std::uint16_t{0x001F}, std::uint16_t{0x03E0}, std::uint16_t{0x7C00}, std::uint16_t{0x0421},
                            std::uint16_t{0x5294}, std::uint16_t{0x1234}})
        EXPECT_EQ(table[c], bt_yuv_pair(widened_rgb(c), widened_rgb(c))) << std::hex << c;
}

TEST(BootPlay, FrameFillsOnlyItsRectangleWithTheNearestPixels) {
    for (int zoom = 0; zoom < 3; ++zoom) {
        SCOPED_TRACE(zoom);
        Picture p;
        const bt_rect r = bt_play_rect(zoom);
        std::vector<std::uint8_t> columns(640);
        bt_play_columns(&r, columns.data());
        bt_play_draw(p.frame.data(), &r, columns.data(), p.table.data(), p.words.data());
        for (int y = 0; y < 480; ++y)
            for (int i = 0; i < 320; ++i) {
                const std::uint32_t word = p.words[static_cast<std::size_t>(y * 320 + i)];
                const bool inside = y >= r.y && y < r.y + r.height && 2 * i >= r.x && 2 * i < r.x + r.width;
                if (!inside) {
                    ASSERT_EQ(word, kUntouched) << "outside at " << 2 * i << "," << y;
                    continue;
                }
                // The two pixels of the pair, as the scaling defines them.
                const int sy = (y - r.y) * BT_GAME_HEIGHT / r.height;
                const int x0 = 2 * i - r.x;
                const std::uint16_t left = p.frame[static_cast<std::size_t>(sy * 240 + x0 * 240 / r.width)];
                const std::uint16_t right = p.frame[static_cast<std::size_t>(sy * 240 + (x0 + 1) * 240 / r.width)];
                const std::uint32_t want = bt_yuv_pair(widened_rgb(left), widened_rgb(right));
                ASSERT_EQ(word >> 24, want >> 24) << 2 * i << "," << y; // luma of each pixel exact
                ASSERT_EQ(word >> 8 & 0xFF, want >> 8 & 0xFF) << 2 * i << "," << y;
                ASSERT_LE(std::abs(int(word >> 16 & 0xFF) - int(want >> 16 & 0xFF)), 1); // chroma averaged
                ASSERT_LE(std::abs(int(word & 0xFF) - int(want & 0xFF)), 1);
            }
    }
}

TEST(BootPlay, ControllerKeysInAGame) {
    struct Case {
        std::uint32_t word;
        unsigned keys;
    };
    const Case cases[] = {
        {0x00808080, 0},
        {0x01808080, BT_GBA_A},
        {0x02808080, BT_GBA_B},
        {0x00408080, BT_GBA_L},
        {0x00208080, BT_GBA_R},
        {0x10808080, BT_GBA_START},
        {0x00108080, BT_GBA_SELECT}, // Z
        {0x00088080, BT_GBA_UP},
        {0x00048080, BT_GBA_DOWN},
        {0x00028080, BT_GBA_RIGHT},
        {0x00018080, BT_GBA_LEFT},
        {0x0080F080, BT_GBA_RIGHT}, // stick right
        {0x00801080, BT_GBA_LEFT},
        {0x008080F0, BT_GBA_UP},
        {0x00808010, BT_GBA_DOWN},
        {0x0080F0F0, BT_GBA_RIGHT | BT_GBA_UP},
        {0x0080A060, 0}, // inside the dead zone
        {0x0C808080, 0}, // X and Y are the console's own
        {0x13718080, BT_GBA_A | BT_GBA_B | BT_GBA_START | BT_GBA_L | BT_GBA_R | BT_GBA_SELECT | BT_GBA_LEFT},
        {0x80000000, 0}, // no controller
        {0x91FF8080, 0}, // the absent bit wins
    };
    for (const Case& c : cases) EXPECT_EQ(bt_play_keys(c.word), c.keys) << std::hex << c.word;
}

TEST(BootPlay, PauseAsksForXAndYTogether) {
    struct Case {
        unsigned before, now;
        int wanted;
    };
    const Case cases[] = {
        {0, BT_KEY_X | BT_KEY_Y, 1},
        {BT_KEY_X, BT_KEY_X | BT_KEY_Y, 1},
        {BT_KEY_X | BT_KEY_Y, BT_KEY_X | BT_KEY_Y, 0}, // still held
        {0, BT_KEY_X, 0},
        {0, BT_KEY_Y | BT_KEY_A, 0},
        {0, BT_KEY_X | BT_KEY_Y | BT_KEY_A, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(bt_pause_wanted(c.before, c.now), c.wanted) << c.before << " " << c.now;
}

TEST(BootPlay, PauseMenuChoices) {
    struct Case {
        const char* what;
        unsigned opened_with;
        std::vector<unsigned> fields;
        int result, cursor;
    };
    const unsigned xy = BT_KEY_X | BT_KEY_Y, a = BT_KEY_A, b = BT_KEY_B, up = BT_KEY_UP, down = BT_KEY_DOWN;
    const Case cases[] = {
        {"A continues at first", xy, {xy, 0, a}, BT_PAUSE_CONTINUE, 0},
        {"down, A restarts", xy, {0, down, 0, a}, BT_PAUSE_RESTART, 1},
        {"down twice, A goes back to the list", xy, {down, 0, down, 0, a}, BT_PAUSE_QUIT, 2},
        {"up wraps to the list", xy, {up, 0, a}, BT_PAUSE_QUIT, 2},
        {"down wraps round", xy, {down, 0, down, 0, down, 0, a}, BT_PAUSE_CONTINUE, 0},
        {"B continues wherever the cursor is", xy, {down, 0, down, 0, b}, BT_PAUSE_CONTINUE, 2},
        {"a held key moves once", xy, {down, down, down, a | down}, BT_PAUSE_RESTART, 1},
        {"A held when it opened chooses nothing", xy | a, {xy | a, a, a}, BT_PAUSE_STAY, 0},
        {"up and down together stay", xy, {up | down}, BT_PAUSE_STAY, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bt_pause_state s;
        bt_pause_open(&s, c.opened_with);
        int result = BT_PAUSE_STAY;
        for (unsigned keys : c.fields) {
            result = bt_pause_input(&s, keys);
            if (result >= 0) break;
        }
        EXPECT_EQ(result < 0 ? BT_PAUSE_STAY : result, c.result);
        EXPECT_EQ(s.cursor, c.cursor);
    }
}

TEST(BootPlay, LoadPlanCoversTheRomOrRefusesIt) {
    struct Case {
        std::uint32_t size;
        int status;
        std::uint32_t chunks;
    };
    const Case cases[] = {
        {4u << 20, BT_LOAD_OK, 16},         {8u << 20, BT_LOAD_OK, 32},
        {16u << 20, BT_LOAD_OK, 64},        {(16u << 20) + 1, BT_LOAD_TOO_LARGE, 0},
        {32u << 20, BT_LOAD_TOO_LARGE, 0},  {0x12345, BT_LOAD_OK, 1},
        {BT_LOAD_CHUNK + 4, BT_LOAD_OK, 2}, {0xC0, BT_LOAD_OK, 1},
        {0xBF, BT_LOAD_TOO_SMALL, 0},       {0, BT_LOAD_TOO_SMALL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        bt_load_plan plan;
        ASSERT_EQ(bt_load_plan_make(c.size, BT_ROM_CAPACITY, &plan), c.status);
        EXPECT_EQ(plan.chunks, c.chunks);
        if (c.status != BT_LOAD_OK) continue;
        // The reads follow each other without a gap and end at the ROM's end.
        std::uint32_t next = 0;
        for (std::uint32_t i = 0; i < plan.chunks; ++i) {
            std::uint32_t offset = 0, length = 0;
            bt_load_plan_chunk(&plan, i, &offset, &length);
            EXPECT_EQ(offset, next);
            EXPECT_GT(length, 0u);
            EXPECT_LE(length, BT_LOAD_CHUNK);
            next = offset + length;
        }
        EXPECT_EQ(next, c.size);
    }
}

TEST(BootPlay, MessagePageWaitsForB) {
    bt_menu_state s;
    bt_menu_init(&s, 3, 8);
    s.page = BT_PAGE_MESSAGE;
    EXPECT_EQ(bt_menu_input(&s, BT_KEY_A), BT_EVENT_NONE); // no game starts from a message
    EXPECT_EQ(bt_menu_input(&s, BT_KEY_DOWN), BT_EVENT_NONE);
    EXPECT_EQ(s.page, BT_PAGE_MESSAGE);
    EXPECT_EQ(bt_menu_input(&s, BT_KEY_B), BT_EVENT_BACK);
    EXPECT_EQ(s.page, BT_PAGE_MENU);
    EXPECT_EQ(s.cursor, 0);
}

TEST(BootPlay, WordsFillAndBlitStayOnTheScreen) {
    std::vector<std::uint32_t> words(kScreenWords, kUntouched);
    bt_words_fill(words.data(), 630, 470, 40, 40, 0xFFFFFF); // clipped at the corner
    EXPECT_EQ(words[479 * 320 + 319], 0xEB80EB80u);
    EXPECT_EQ(words[469 * 320 + 319], kUntouched);
    EXPECT_EQ(words[479 * 320 + 314], kUntouched);
    std::vector<std::uint32_t> px(4 * 2, 0xFFFFFF);
    bt_canvas box{px.data(), 4, 2};
    bt_words_blit(words.data(), &box, 10, 20);
    EXPECT_EQ(words[20 * 320 + 5], 0xEB80EB80u);
    EXPECT_EQ(words[21 * 320 + 6], 0xEB80EB80u);
    EXPECT_EQ(words[20 * 320 + 7], kUntouched);
    EXPECT_EQ(words[22 * 320 + 5], kUntouched);
}

TEST(BootPlay, SixtyFourBitDivision) {
    struct Case {
        std::uint64_t n, d, q, r;
    };
    const Case cases[] = {
        {0, 7, 0, 0},
        {100, 7, 14, 2},
        {0xFFFFFFFFull, 1, 0xFFFFFFFFull, 0},
        {300ull * 10 * 40500000, 20250000, 6000, 0}, // the speed line's division
        {0x123456789ABCDEF0ull, 0x10, 0x123456789ABCDEFull, 0},
        {0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull, 1, 0},
        {0xFFFFFFFFFFFFFFFFull, 3, 0x5555555555555555ull, 0},
        {0x8000000000000001ull, 0x100000000ull, 0x80000000ull, 1},
        {5, 0x100000000ull, 0, 5},
        {12345, 0, 0, 0}, // by zero: 0, no trap
    };
    for (const Case& c : cases) {
        std::uint64_t r = 99;
        EXPECT_EQ(bt_divide_u64(c.n, c.d, &r), c.q) << c.n << " / " << c.d;
        EXPECT_EQ(r, c.r) << c.n << " % " << c.d;
    }
}

} // namespace
