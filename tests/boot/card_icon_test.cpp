// The save's icon as the card manager decodes it: 4 x 4 tiles of 16-bit
// words, opaque 5:5:5 or 3-bit alpha.
#include <gtest/gtest.h>

#include <cstdint>

extern "C" {
#include "common/card_icon.h"
}

namespace {

struct Decoded {
    bool opaque;
    int alpha;   // 0..7 when not opaque
    int r, g, b; // 0..31 when opaque
};

// Reads pixel (x, y) from the tiles, written out from the format.
Decoded at(const std::uint8_t* icon, int x, int y) {
    const int tile = (y / 4) * (CARD_ICON_SIZE / 4) + x / 4, inside = (y % 4) * 4 + x % 4;
    const std::uint8_t* p = icon + 2 * (tile * 16 + inside);
    const int w = p[0] << 8 | p[1];
    if (w & 0x8000) return {true, 7, w >> 10 & 31, w >> 5 & 31, w & 31};
    return {false, w >> 12 & 7, 0, 0, 0};
}

TEST(CardIcon, AHandheldOnAClearGroundTheRightWayRound) {
    std::uint8_t icon[CARD_ICON_BYTES];
    card_icon_make(icon);
    // Clear corners and clear bands above and below the body.
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}, {16, 2}, {16, 29}, {1, 7}, {30, 24}}) {
        const Decoded d = at(icon, x, y);
        EXPECT_FALSE(d.opaque) << x << "," << y;
        EXPECT_EQ(d.alpha, 0) << x << "," << y;
    }
    // The screen's sunset: warm at its top, bluer at its foot.
    const Decoded top = at(icon, 15, 10), foot = at(icon, 15, 21);
    ASSERT_TRUE(top.opaque && foot.opaque);
    EXPECT_GT(top.r, top.b);
    EXPECT_GT(foot.b, top.b);
    // The cross on the left, the red button on the right: not mirrored.
    const Decoded cross = at(icon, 4, 15), button = at(icon, 25, 16);
    EXPECT_TRUE(cross.opaque && cross.r < 8 && cross.b < 8);
    EXPECT_TRUE(button.opaque && button.r > 25 && button.g < 10);
    const Decoded mirror = at(icon, 31 - 4, 15);
    EXPECT_FALSE(mirror.r < 8 && mirror.b < 8) << "the cross shows on the right";
    // Every pixel as card_icon_pixel says.
    for (int y = 0; y < CARD_ICON_SIZE; ++y)
        for (int x = 0; x < CARD_ICON_SIZE; ++x) {
            const std::uint32_t want = card_icon_pixel(x, y);
            const Decoded d = at(icon, x, y);
            if (want == 0xFF000000u) {
                EXPECT_FALSE(d.opaque);
                continue;
            }
            ASSERT_TRUE(d.opaque) << x << "," << y;
            EXPECT_EQ(d.r, static_cast<int>(want >> 19 & 31)) << x << "," << y;
            EXPECT_EQ(d.g, static_cast<int>(want >> 11 & 31)) << x << "," << y;
            EXPECT_EQ(d.b, static_cast<int>(want >> 3 & 31)) << x << "," << y;
        }
}

} // namespace
