#include "payload_gen/scenes.hpp"

#include <array>
#include <cstdlib>

#include "payload_gen/glyphs.hpp"
#include "format/payload_layout.hpp"

namespace kessra::payload_gen {

namespace {

constexpr int H = SKIN_HEIGHT;

// The translucent panel the menu list sits on, and the name above it.
struct Frame {
    Rgba panel, border, title, shadow;
    int corner; // rounding of the title's font pixels
};

void panel_and_title(Picture& pic, const Frame& f) {
    const int w = pic.width;
    rounded_box(pic, {44, 100, w - 44, H - 40}, 22, f.panel);
    rounded_frame(pic, {44, 100, w - 44, H - 40}, 22, 3, f.border);
    const int scale = 6;
    const int x = (w - text_width("kessra", scale)) / 2;
    draw_text(pic, x + 3, 30, scale, f.corner, "kessra", f.shadow);
    draw_text(pic, x, 27, scale, f.corner, "kessra", f.title);
}

void star_field(Picture& pic, std::uint32_t seed, int count, int bottom) {
    for (int i = 0; i < count; ++i) {
        const int x = static_cast<int>(next_random(seed) % static_cast<std::uint32_t>(pic.width));
        const int y = static_cast<int>(next_random(seed) % static_cast<std::uint32_t>(bottom));
        const auto a = static_cast<std::uint8_t>(90 + next_random(seed) % 166);
        disc(pic, x, y, 1, {255, 252, 236, a});
    }
}

// A sun whose lower part is cut by gaps that widen towards the horizon.
void striped_sun(Picture& pic, int cx, int cy, int r, int horizon, Rgba top, Rgba bottom) {
    const int cut_from = cy - r / 4;
    auto paint = [&](int, int y) { return mix(top, bottom, std::clamp((y - (cy - r)) * 256 / (2 * r), 0, 256)); };
    fill_shape(pic, {cx - r - 1, cy - r - 1, cx + r + 1, horizon}, paint, [&](int px, int py) {
        std::int64_t d = circle_distance(px, py, cx, cy, r);
        if (py > cut_from * SUB) {
            const int band = 14 * SUB;
            const int k = (py - cut_from * SUB) / band;
            const int gap = (2 + 2 * k) * SUB / 2;
            const int m = (py - cut_from * SUB) % band;
            d = std::max<std::int64_t>(d, -(std::abs(m - gap / 2) - gap / 2));
        }
        return d;
    });
}

void fill_below(Picture& pic, int top, Rgba from, Rgba to) {
    auto paint = [&](int, int y) { return mix(from, to, (y - top) * 256 / std::max(H - top, 1)); };
    fill_shape(pic, {0, top, pic.width, H}, paint, [&](int, int py) { return std::int64_t{top} * SUB - py; });
}

Picture night_sky() {
    Picture pic = make_picture(CMPR_SKIN_WIDTH, H, {});
    const std::array<GradientStop, 3> sky{
        {{0, {8, 12, 38, 255}}, {560, {34, 28, 88, 255}}, {1024, {96, 52, 124, 255}}}};
    vertical_gradient(pic, sky);
    star_field(pic, 0x9E3779B9u, 170, H * 3 / 4);
    std::uint32_t seed = 0x2545F491u;
    for (int i = 0; i < 14; ++i) {
        const int x = static_cast<int>(next_random(seed) % 600) + 20;
        const int y = static_cast<int>(next_random(seed) % 260) + 10;
        sparkle(pic, x, y, 4 + static_cast<int>(next_random(seed) % 6), {255, 250, 220, 235});
    }
    const int mx = CMPR_SKIN_WIDTH - 112, my = 92;
    for (int r = 74; r > 46; r -= 9) disc(pic, mx, my, r, {255, 240, 200, 22});
    disc(pic, mx, my, 44, {250, 244, 214, 255});
    const std::array<std::array<int, 3>, 5> craters{
        {{-14, -10, 9}, {14, 18, 7}, {8, -20, 5}, {-20, 22, 4}, {22, -2, 3}}};
    for (const auto& c : craters) disc(pic, mx + c[0], my + c[1], c[2], {224, 216, 188, 255});
    wave(pic, H - 118, 16, 300, 0, {54, 36, 96, 255});
    wave(pic, H - 82, 12, 210, 1500, {36, 22, 68, 255});
    wave(pic, H - 44, 8, 160, 700, {22, 12, 44, 255});
    panel_and_title(pic, {{10, 12, 40, 110}, {190, 180, 255, 150}, {255, 232, 150, 255}, {18, 8, 48, 210}, 0});
    return pic;
}

Picture sunset_sea() {
    Picture pic = make_picture(RGB565_SKIN_WIDTH, H, {});
    const int horizon = 300;
    const std::array<GradientStop, 3> sky{
        {{0, {58, 32, 104, 255}}, {420, {214, 84, 124, 255}}, {690, {255, 176, 96, 255}}}};
    vertical_gradient(pic, sky);
    striped_sun(pic, pic.width / 2, horizon, 130, horizon, {255, 232, 120, 255}, {255, 84, 140, 255});
    fill_below(pic, horizon, {40, 58, 132, 255}, {12, 18, 64, 255});
    for (int k = 0; k < 10; ++k) {
        const int half = 96 - 8 * k, y = horizon + 8 + k * 12;
        rounded_box(pic, {pic.width / 2 - half, y, pic.width / 2 + half, y + 3}, 1,
                    {255, 196, 130, static_cast<std::uint8_t>(170 - 12 * k)});
    }
    wave(pic, H - 92, 9, 120, 0, {28, 44, 116, 255});
    wave(pic, H - 62, 8, 90, 900, {20, 32, 94, 255});
    wave(pic, H - 32, 6, 70, 2000, {12, 20, 66, 255});
    panel_and_title(pic, {{36, 10, 56, 80}, {255, 222, 176, 160}, {255, 246, 224, 255}, {120, 30, 84, 210}, 0});
    return pic;
}

Picture mint_meadow() {
    Picture pic = make_picture(RGB565_SKIN_WIDTH, H, {});
    const std::array<GradientStop, 2> sky{{{0, {206, 244, 222, 255}}, {1024, {84, 180, 164, 255}}}};
    vertical_gradient(pic, sky);
    stripes(pic, {0, 0, pic.width, H}, 36, 14, {255, 255, 255, 34});
    const std::array<Rgba, 3> tints{{{255, 255, 255, 0}, {255, 238, 160, 0}, {160, 238, 228, 0}}};
    std::uint32_t seed = 12345u;
    for (int i = 0; i < 24; ++i) {
        const int x = static_cast<int>(next_random(seed) % static_cast<std::uint32_t>(pic.width));
        const int y = static_cast<int>(next_random(seed) % H);
        const int r = 10 + static_cast<int>(next_random(seed) % 52);
        Rgba c = tints[next_random(seed) % tints.size()];
        c.a = static_cast<std::uint8_t>(40 + next_random(seed) % 40);
        disc(pic, x, y, r, c);
        c.a = static_cast<std::uint8_t>(c.a + 60);
        ring(pic, x, y, r, 2, c);
    }
    wave(pic, H - 70, 12, 150, 0, {70, 160, 120, 255});
    wave(pic, H - 40, 10, 110, 1200, {44, 130, 96, 255});
    panel_and_title(pic, {{255, 255, 255, 110}, {255, 255, 255, 220}, {28, 96, 78, 255}, {255, 255, 255, 230}, 3});
    return pic;
}

// Distance from the pixel centre to the nearest line of a floor grid seen
// in perspective, in 1/SUB pixels.
std::int64_t grid_distance(int px, int py, int centre_x, int horizon) {
    const std::int64_t depth = py - horizon * SUB; // screen rows below the horizon
    if (depth <= 0) return SUB * 1000;
    const std::int64_t spacing = 48 * SUB, focal = 60 * SUB;
    const std::int64_t u = std::abs(static_cast<std::int64_t>(px) - centre_x * SUB) * focal / depth;
    const std::int64_t du = std::abs(u - (u + spacing / 2) / spacing * spacing);
    const std::int64_t across = du * depth / focal;
    const std::int64_t z = focal * 256 * 4 / depth; // distance along the floor, 1/256 units
    const std::int64_t dz = std::abs(z - (z + 128) / 256 * 256);
    const std::int64_t along = dz * depth * depth / (focal * 4 * 256);
    return std::min(across, along) - SUB * 3 / 4;
}

Picture synth_grid() {
    Picture pic = make_picture(RGB565_SKIN_WIDTH, H, {});
    const int horizon = 262, w = pic.width;
    const std::array<GradientStop, 2> sky{{{0, {14, 6, 38, 255}}, {600, {112, 28, 122, 255}}}};
    vertical_gradient(pic, sky);
    star_field(pic, 0x51ED2701u, 90, horizon - 60);
    striped_sun(pic, w / 2, horizon - 56, 104, horizon, {255, 214, 90, 255}, {255, 54, 150, 255});
    const std::array<std::array<int, 2>, 7> peaks{
        {{40, 196}, {130, 224}, {210, 186}, {330, 232}, {420, 200}, {500, 214}, {590, 180}}};
    for (int layer = 0; layer < 2; ++layer) {
        const Rgba c = layer == 0 ? Rgba{76, 22, 104, 255} : Rgba{42, 10, 66, 255};
        fill_shape(
            pic, {0, 150, w, horizon}, [c](int, int) { return c; },
            [&](int px, int py) {
                std::int64_t top = std::int64_t{horizon} * SUB;
                for (const auto& p : peaks) {
                    const int peak_x = layer == 0 ? p[0] : w - p[0] + 17;
                    const std::int64_t y = (p[1] + 26 * layer) * SUB + std::abs(px - peak_x * SUB) * 3 / 4;
                    top = std::min(top, y);
                }
                return top - py;
            });
    }
    fill_below(pic, horizon, {34, 6, 58, 255}, {10, 2, 24, 255});
    auto neon = [&](int, int y) {
        return Rgba{255, 70, 210, static_cast<std::uint8_t>(std::min(255, 40 + (y - horizon) * 2))};
    };
    fill_shape(pic, {0, horizon, w, H}, neon, [&](int px, int py) { return grid_distance(px, py, w / 2, horizon); });
    panel_and_title(pic, {{10, 0, 26, 120}, {0, 236, 255, 200}, {0, 240, 255, 255}, {255, 60, 200, 220}, 0});
    return pic;
}

} // namespace

Picture draw_skin(int index) {
    switch (index) {
    case 0: return night_sky();
    case 1: return sunset_sea();
    case 2: return mint_meadow();
    default: return synth_grid();
    }
}

Picture draw_banner() {
    constexpr int w = static_cast<int>(BANNER_WIDTH), h = static_cast<int>(BANNER_HEIGHT);
    Picture pic = make_picture(w, h, {0, 0, 0, 0});
    auto across = [](int x, int) { return mix({108, 40, 168, 255}, {18, 158, 176, 255}, x * 256 / (w - 1)); };
    const Box plate{0, 0, w, h};
    fill_shape(pic, plate, across, [&](int px, int py) { return rounded_box_distance(px, py, plate, 8); });
    rounded_box(pic, {2, 2, w - 2, h / 2}, 6, {255, 255, 255, 40});
    sparkle(pic, w - 9, 7, 4, {255, 250, 210, 240});
    const int x = (w - text_width("kessra", 2)) / 2;
    draw_text(pic, x + 1, 10, 2, 0, "kessra", {30, 12, 60, 200});
    draw_text(pic, x, 9, 2, 0, "kessra", {255, 255, 255, 255});
    return pic;
}

} // namespace kessra::payload_gen
