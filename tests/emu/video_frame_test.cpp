// Whole frames drawn from VRAM, palette, OAM and registers set up directly,
// compared with pictures whose content follows from the set-up alone (solid
// tiles, rectangles), not from the renderer's arithmetic.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace {

using emu::Gba;

constexpr uint16_t kRed = 0x001F;
constexpr uint16_t kGreen = 0x03E0;
constexpr uint16_t kBlue = 0x7C00;
constexpr uint16_t kWhite = 0x7FFF;

void reg(Gba& gba, uint32_t offset, uint16_t value) { emu::store16(gba.mem.io + offset, value); }

// The BG2 transformation the BIOS leaves: one texel per pixel.
void identity_bg2(Gba& gba) {
    reg(gba, 0x20, 0x100);
    reg(gba, 0x26, 0x100);
}

// A 4 bpp tile at a VRAM offset filled with one palette index.
void solid_tile(Gba& gba, uint32_t offset, uint8_t index) {
    for (uint32_t i = 0; i < 32; ++i) gba.mem.vram[offset + i] = static_cast<uint8_t>(index | index << 4);
}

// BG0 all solid red (map at 0xF800, tile 1) over a blue backdrop.
void red_bg0_on_blue(Gba& gba) {
    emu::store16(gba.mem.palette, kBlue);
    emu::store16(gba.mem.palette + 2, kRed);
    solid_tile(gba, 32, 1);
    for (uint32_t i = 0; i < 1024; ++i) emu::store16(gba.mem.vram + 0xF800 + i * 2, 1);
    reg(gba, 0x08, 31 << 8);
}

void draw_frame(Gba& gba, const std::function<void(uint32_t)>& before_line = {}) {
    emu::video_frame_start(gba);
    for (uint32_t y = 0; y < emu::kScreenHeight; ++y) {
        if (before_line) before_line(y);
        emu::video_draw_line(gba, y);
    }
}

// Checks every pixel against want(x, y); reports the first few that differ.
void expect_frame(const Gba& gba, const std::function<uint16_t(uint32_t, uint32_t)>& want) {
    int reported = 0;
    for (uint32_t y = 0; y < emu::kScreenHeight; ++y) {
        for (uint32_t x = 0; x < emu::kScreenWidth; ++x) {
            uint16_t got = gba.frame[y * emu::kScreenWidth + x];
            if (got != want(x, y) && reported++ < 5) {
                ADD_FAILURE() << "pixel (" << x << "," << y << "): got 0x" << std::hex << got << " want 0x"
                              << want(x, y);
            }
        }
    }
}

// BG0 (4 bpp, 256x256) with tiles 1-3 solid red, green, blue in a diagonal
// pattern, scrolled; the backdrop shows through tile 0.
struct ScrollCase {
    uint16_t hofs, vofs;
};
class TextScroll : public testing::TestWithParam<ScrollCase> {};

TEST_P(TextScroll, ShowsTheTileGridShiftedByTheScroll) {
    auto gba = std::make_unique<Gba>();
    const uint16_t colours[4] = {kWhite, kRed, kGreen, kBlue};
    for (uint32_t i = 0; i < 4; ++i) emu::store16(gba->mem.palette + i * 2, colours[i]);
    for (uint8_t t = 1; t < 4; ++t) solid_tile(*gba, t * 32u, t);
    for (uint32_t ty = 0; ty < 32; ++ty)
        for (uint32_t tx = 0; tx < 32; ++tx)
            emu::store16(gba->mem.vram + 0xF800 + (ty * 32 + tx) * 2, static_cast<uint16_t>((tx + ty) % 4));
    reg(*gba, 0x08, 31 << 8); // map at 0xF800, tiles at 0
    reg(*gba, 0x10, GetParam().hofs);
    reg(*gba, 0x12, GetParam().vofs);
    reg(*gba, 0x00, 0x0100);
    draw_frame(*gba);
    expect_frame(*gba, [&](uint32_t x, uint32_t y) {
        uint32_t tx = ((x + GetParam().hofs) & 255) / 8, ty = ((y + GetParam().vofs) & 255) / 8;
        return colours[(tx + ty) % 4];
    });
}

INSTANTIATE_TEST_SUITE_P(Offsets, TextScroll,
                         testing::Values(ScrollCase{0, 0}, ScrollCase{3, 5}, ScrollCase{250, 100},
                                         ScrollCase{511, 511}));

// Window 0 with left > right and top > bottom covers the four corners; BG0
// (solid red) shows only inside, the blue backdrop elsewhere. The vertical
// span is a flip-flop set at the top edge and cleared at the bottom, so the
// lines above the bottom edge are inside from the second frame on.
TEST(VideoWindow, WrapsAroundWhenEdgesAreReversed) {
    auto gba = std::make_unique<Gba>();
    red_bg0_on_blue(*gba);
    reg(*gba, 0x40, (200 << 8) | 40); // left 200, right 40
    reg(*gba, 0x44, (120 << 8) | 30); // top 120, bottom 30
    reg(*gba, 0x48, 0x0001);          // inside: BG0
    reg(*gba, 0x4A, 0x0000);          // outside: nothing
    reg(*gba, 0x00, 0x2100);
    draw_frame(*gba);
    draw_frame(*gba);
    expect_frame(*gba, [](uint32_t x, uint32_t y) {
        bool inside = (x >= 200 || x < 40) && (y >= 120 || y < 30);
        return inside ? kRed : kBlue;
    });
}

// A sprite in OBJ-window mode opens BG0 in its square; a normal sprite is
// drawn above everything but hidden outside the windows.
TEST(VideoWindow, ObjWindowSpriteMasksLayers) {
    auto gba = std::make_unique<Gba>();
    red_bg0_on_blue(*gba);
    emu::store16(gba->mem.palette + 0x200 + 2, kGreen);
    for (uint32_t t = 1; t <= 4; ++t) solid_tile(*gba, 0x10000 + t * 32, 1); // sprite tiles 1-4
    // sprite 0: 16x16 window-mode at (100, 50); sprite 1: 8x8 normal at (96, 46)
    emu::store16(gba->mem.oam + 0, static_cast<uint16_t>(50 | 0x0800));
    emu::store16(gba->mem.oam + 2, static_cast<uint16_t>(100 | 0x4000));
    emu::store16(gba->mem.oam + 4, 1);
    emu::store16(gba->mem.oam + 8, 46);
    emu::store16(gba->mem.oam + 10, 96);
    emu::store16(gba->mem.oam + 12, 1);
    for (uint32_t n = 2; n < 128; ++n) emu::store16(gba->mem.oam + n * 8, 0x0200);
    reg(*gba, 0x4A, 0x1100); // outside: nothing; OBJ window: BG0 and OBJ
    reg(*gba, 0x00, 0x9140); // 1D mapping, BG0, OBJ, OBJ window
    draw_frame(*gba);
    expect_frame(*gba, [](uint32_t x, uint32_t y) {
        bool in_window = x >= 100 && x < 116 && y >= 50 && y < 66;
        bool on_sprite = x >= 96 && x < 104 && y >= 46 && y < 54;
        if (!in_window) return kBlue;
        return on_sprite ? kGreen : kRed;
    });
}

// In the bitmap modes the sprite engine sees only tiles 512-1023: a sprite
// whose tiles run past 1023 into the bitmap's bank is transparent there.
TEST(VideoSprites, BitmapModesHideTilesBelow512) {
    auto gba = std::make_unique<Gba>();
    emu::store16(gba->mem.palette + 0x200 + 2, kRed);
    for (uint32_t t = 512; t < 1024; ++t) solid_tile(*gba, 0x10000 + t * 32, 1);
    for (uint32_t i = 0; i < 240 * 160; ++i) emu::store16(gba->mem.vram + i * 2, kBlue); // bitmap over tiles < 512
    // 8x16 sprite in 2D mapping, first tile 1000: its lower tile is 1032 -> 8
    emu::store16(gba->mem.oam + 0, static_cast<uint16_t>(20 | 0x8000));
    emu::store16(gba->mem.oam + 2, 30);
    emu::store16(gba->mem.oam + 4, 1000);
    // 8x8 sprite with tile 100: hidden entirely
    emu::store16(gba->mem.oam + 8, 60);
    emu::store16(gba->mem.oam + 10, 60);
    emu::store16(gba->mem.oam + 12, 100);
    for (uint32_t n = 2; n < 128; ++n) emu::store16(gba->mem.oam + n * 8, 0x0200);
    identity_bg2(*gba);
    reg(*gba, 0x00, 0x1403);
    draw_frame(*gba);
    expect_frame(*gba, [](uint32_t x, uint32_t y) { return (x >= 30 && x < 38 && y >= 20 && y < 28) ? kRed : kBlue; });
}

// Enabling a background mid-frame shows it from the second line after the
// one drawn with the enable; disabling acts at once; forced blank is white.
TEST(VideoDisplay, EnableDelayDisableAndForcedBlank) {
    auto gba = std::make_unique<Gba>();
    red_bg0_on_blue(*gba);
    reg(*gba, 0x00, 0x0000);
    draw_frame(*gba, [&](uint32_t y) {
        if (y == 50) reg(*gba, 0x00, 0x0100);
        if (y == 100) reg(*gba, 0x00, 0x0000);
        if (y == 120) reg(*gba, 0x00, 0x0180);
        if (y == 125) reg(*gba, 0x00, 0x0100);
    });
    expect_frame(*gba, [](uint32_t, uint32_t y) {
        if (y >= 120 && y < 125) return kWhite;
        return (y >= 52 && y < 100) || y >= 125 ? kRed : kBlue;
    });
}

// The green swap exchanges the green of each even pixel with its right
// neighbour's.
TEST(VideoDisplay, GreenSwapExchangesPairs) {
    auto gba = std::make_unique<Gba>();
    for (uint32_t i = 0; i < 240 * 160; ++i)
        emu::store16(gba->mem.vram + i * 2, (i & 1) != 0 ? static_cast<uint16_t>(kRed | kGreen) : kBlue);
    identity_bg2(*gba);
    reg(*gba, 0x02, 1);
    reg(*gba, 0x00, 0x0403);
    draw_frame(*gba);
    expect_frame(*gba,
                 [](uint32_t x, uint32_t) { return (x & 1) != 0 ? kRed : static_cast<uint16_t>(kBlue | kGreen); });
}

} // namespace
