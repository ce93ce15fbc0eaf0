// The arithmetic system calls against their descriptions: Div's three
// results and its division by zero, Sqrt's floor, ArcTan/ArcTan2 against the
// true angle (the BIOS polynomial is within a unit or two), the sine table,
// and MidiKey2Freq's semitone scale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "emu/gba.hpp"

namespace {

struct DivCase {
    int32_t number, denom;
    int32_t quotient, remainder;
    uint32_t magnitude;
};

TEST(BiosDiv, QuotientRemainderAndMagnitude) {
    const DivCase cases[] = {
        {1234, 10, 123, 4, 123},
        {-1234, 10, -123, -4, 123}, // the example of the call's description
        {1234, -10, -123, 4, 123},
        {-1234, -10, 123, -4, 123},
        {7, 7, 1, 0, 1},
        {5, 7, 0, 5, 0},
        {0, 5, 0, 0, 0},
        {INT32_MIN, 1, INT32_MIN, 0, 0x80000000u},
        {INT32_MIN, -1, INT32_MIN, 0, 0x80000000u}, // wraps, as the 32-bit BIOS code does
        {INT32_MAX, -2, -0x3FFFFFFF, 1, 0x3FFFFFFF},
        // Division by zero: the BIOS's loop ends with quotient +-1 and the
        // number as remainder (for larger numbers it would never end).
        {0, 0, 1, 0, 1},
        {1, 0, 1, 1, 1},
        {-1, 0, -1, -1, 1},
        {1000, 0, 1, 1000, 1},
        {-1000, 0, -1, -1000, 1},
    };
    for (const DivCase& c : cases) {
        const emu::BiosDivision d = emu::bios_div(c.number, c.denom);
        EXPECT_EQ(d.quotient, static_cast<uint32_t>(c.quotient)) << c.number << " / " << c.denom;
        EXPECT_EQ(d.remainder, static_cast<uint32_t>(c.remainder)) << c.number << " / " << c.denom;
        EXPECT_EQ(d.magnitude, c.magnitude) << c.number << " / " << c.denom;
    }
}

TEST(BiosSqrt, IsTheFloorOfTheRoot) {
    const struct {
        uint32_t value, root;
    } cases[] = {{0, 0},
                 {1, 1},
                 {2, 1},
                 {3, 1},
                 {4, 2},
                 {15, 3},
                 {16, 4},
                 {17, 4},
                 {0x80000000, 0xB504}, // sqrt(2 << 30) = 1.41421 << 15
                 {0xFFFE0000, 0xFFFE},
                 {0xFFFE0001, 0xFFFF},
                 {0xFFFFFFFF, 0xFFFF}};
    for (const auto& c : cases) EXPECT_EQ(emu::bios_sqrt(c.value), c.root) << c.value;
    for (uint64_t v = 5; v < 0xFFFFFFFFu; v = v * 3 + 7) {
        const uint64_t r = emu::bios_sqrt(static_cast<uint32_t>(v));
        EXPECT_TRUE(r * r <= v && (r + 1) * (r + 1) > v) << v << " -> " << r;
    }
}

double angle_units(double radians) { return radians * 32768.0 / 3.14159265358979323846; }

TEST(BiosArcTan, FollowsTheTrueAngleWithinThePolynomialsError) {
    // Tan in 1.14 fixed point; the result -4000h..4000h for -pi/2..pi/2.
    EXPECT_EQ(emu::bios_arctan(0).r0, 0u);
    EXPECT_EQ(emu::bios_arctan(0x4000).r0, 0x2000u); // 45 degrees
    EXPECT_EQ(emu::bios_arctan(static_cast<uint32_t>(-0x4000)).r0, 0xFFFFE000u);
    for (int32_t t = -0x4000; t <= 0x4000; t += 37) {
        const double expected = angle_units(std::atan(t / 16384.0));
        const double got = static_cast<int32_t>(emu::bios_arctan(static_cast<uint32_t>(t)).r0);
        EXPECT_NEAR(got, expected, 2.0) << "tan " << t;
    }
    // r1 holds minus the square of the argument, as the BIOS leaves it.
    EXPECT_EQ(emu::bios_arctan(0x2000).r1, static_cast<uint32_t>(-(0x2000 * 0x2000 >> 14)));
}

TEST(BiosArcTan2, GivesTheFullTurnAngleOfAPoint) {
    const struct {
        int16_t x, y;
        uint32_t angle;
    } exact[] =
        {
            {1, 0, 0},       {0x4000, 0, 0},     {-5, 0, 0x8000},     {0, 7, 0x4000},       {0, -7, 0xC000},
            {0, 0, 0},       {100, 100, 0x2000}, {-100, 100, 0x6000}, {-100, -100, 0xA000}, {100, -100, 0xE000},
            {0x7FFF, -1, 0}, // just below the x axis: a full turn, which wraps to 0
        };
    for (const auto& c : exact) EXPECT_EQ(emu::bios_arctan2(c.x, c.y), c.angle) << c.x << "," << c.y;
    for (int32_t x = -0x4000; x <= 0x4000; x += 613) {
        for (int32_t y = -0x4000; y <= 0x4000; y += 587) {
            if (x == 0 && y == 0) continue;
            double expected = angle_units(std::atan2(static_cast<double>(y), static_cast<double>(x)));
            if (expected < 0) expected += 65536.0;
            double got = emu::bios_arctan2(static_cast<int16_t>(x), static_cast<int16_t>(y));
            if (got - expected > 32768) got -= 65536;
            if (expected - got > 32768) got += 65536;
            EXPECT_NEAR(got, expected, 2.5) << x << "," << y;
        }
    }
}

TEST(BiosSine, IsTheSineCutTowardZero) {
    for (uint32_t i = 0; i < 256; ++i) {
        const double exact = std::sin(2.0 * 3.14159265358979323846 * i / 256.0) * 16384.0;
        EXPECT_EQ(emu::bios_sine(i), static_cast<int16_t>(std::trunc(exact + (exact >= 0 ? 1e-9 : -1e-9)))) << i;
    }
    EXPECT_EQ(emu::bios_sine(64), 0x4000);
    EXPECT_EQ(emu::bios_sine(192), -0x4000);
    EXPECT_EQ(emu::bios_sine(256 + 3), emu::bios_sine(3)); // the angle wraps
}

TEST(BiosMidiKey2Freq, ScalesBySemitonesFromKey180) {
    const uint32_t freq = 13379u << 10;
    EXPECT_EQ(emu::bios_midi_key_to_freq(freq, 180, 0), freq);
    EXPECT_EQ(emu::bios_midi_key_to_freq(freq, 168, 0), freq / 2); // an octave down
    EXPECT_EQ(emu::bios_midi_key_to_freq(freq, 156, 0), freq / 4);
    EXPECT_EQ(emu::bios_midi_key_to_freq(0x40000000, 192, 0), 0x80000000u); // an octave up
    for (uint32_t key = 100; key < 200; key += 7) {
        for (uint32_t fine : {0u, 0x40u, 0xFFu}) {
            const double expected = freq * std::pow(2.0, -(180.0 - key - fine / 256.0) / 12.0);
            EXPECT_NEAR(emu::bios_midi_key_to_freq(freq, key, fine), expected, 1.0) << key << " " << fine;
        }
    }
}

} // namespace
