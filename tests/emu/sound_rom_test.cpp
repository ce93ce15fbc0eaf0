// Our sound ROMs through the core: each side's fundamental (within 1 %), its
// level and where it is heard; then the same measures against the reference
// emulator (frequency within 1 %, loudness envelope within 0.15 of its peak).
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "harness.hpp"
#include "sound_measure.hpp"
#include "suite_support.hpp"

namespace {

using emu_harness::Sound;

constexpr uint32_t kRate = 32768;
constexpr uint32_t kFrames = 180; // about three seconds
constexpr double kFrom = 0.5, kTo = 2.5;
constexpr double kSilence = 64; // largest sample of a side that plays nothing
constexpr double kOneStep = 32; // one step of the 10-bit output in our samples

enum class Measure { kCrossings, kDft, kRepeat };

struct Side {
    double frequency; // Hz, 0 = silent
    double amplitude; // half peak-to-peak in 10-bit output steps
    double duty;      // share of the period above the mean, 0 = not checked
};

struct SoundCase {
    const char* rom;
    Measure measure;
    Side left, right;
};

// Square: 131072 / (2048 - rate); wave: 2097152 / (2048 - rate) / 32;
// noise: the 7-bit pattern of 127 steps at 16384 Hz; PCM: 32 samples at
// 16384 Hz. Amplitude: envelope 15 (or digits 0-15 as -15..15) times the
// master volume 8; the FIFO's 127 times 4.
const SoundCase kCases[] = {
    {"sound_square", Measure::kCrossings, {131072.0 / 298, 120, 0.5}, {131072.0 / 149, 120, 0.25}},
    {"sound_wave", Measure::kDft, {2097152.0 / 149 / 32, 120, 0}, {2097152.0 / 149 / 32, 120, 0}},
    {"sound_noise", Measure::kRepeat, {0, 0, 0}, {16384.0 / 127, 120, 0}},
    {"sound_pcm", Measure::kDft, {512, 508, 0}, {512, 508, 0}},
};

std::optional<Sound> record(const char* name, bool reference) {
    auto path = emu_harness::own_rom(name);
    if (!path) return std::nullopt;
    auto rom = emu_harness::read_file(*path);
    if (!rom) return std::nullopt;
    return reference ? emu_harness::sound_reference(*rom, kFrames, kRate)
                     : emu_harness::sound_ours(*rom, kFrames, kRate);
}

double fundamental(const std::vector<double>& x, Measure measure) {
    switch (measure) {
    case Measure::kCrossings: return emu_harness::crossing_frequency(x, kRate);
    case Measure::kDft: return emu_harness::dft_peak(x, kRate, 50, 4000);
    case Measure::kRepeat:
        return static_cast<double>(kRate) / static_cast<double>(emu_harness::repeat_lag(x, 100, 400));
    }
    return 0;
}

void PrintTo(const SoundCase& c, std::ostream* out) { *out << c.rom; }

std::string case_name(const testing::TestParamInfo<SoundCase>& info) { return info.param.rom; }

class SoundRom : public testing::TestWithParam<SoundCase> {};

TEST_P(SoundRom, PlaysItsToneOnItsSides) {
    const SoundCase& c = GetParam();
    auto sound = record(c.rom, false);
    if (!sound) GTEST_SKIP() << "the test ROMs were not built";
    ASSERT_GE(sound->frames(), static_cast<std::size_t>(kTo * kRate)) << "too little sound";
    const Side* sides[2] = {&c.left, &c.right};
    for (int s = 0; s < 2; ++s) {
        SCOPED_TRACE(s == 0 ? "left" : "right");
        const auto x = emu_harness::sound_side(*sound, s, kFrom, kTo);
        const Side& want = *sides[s];
        if (want.frequency == 0) {
            EXPECT_LE(emu_harness::peak(x), kSilence);
            continue;
        }
        const double f = fundamental(x, c.measure);
        EXPECT_NEAR(f, want.frequency, want.frequency * 0.01);
        EXPECT_NEAR(emu_harness::half_peak_to_peak(x) / kOneStep, want.amplitude, want.amplitude * 0.05);
        if (want.duty > 0) {
            EXPECT_NEAR(emu_harness::high_fraction(x), want.duty, 0.02);
        }
        RecordProperty(std::string(s == 0 ? "left" : "right") + "_hz", std::to_string(f));
    }
}

TEST_P(SoundRom, MatchesTheReference) {
    const SoundCase& c = GetParam();
    if (!emu_harness::reference_available()) GTEST_SKIP() << "the reference emulator is not available";
    auto ours = record(c.rom, false);
    if (!ours) GTEST_SKIP() << "the test ROMs were not built";
    auto theirs = record(c.rom, true);
    ASSERT_TRUE(theirs.has_value()) << "the reference refused the ROM or has no sound";
    ASSERT_GE(theirs->frames(), static_cast<std::size_t>(kTo * kRate));
    const Side* sides[2] = {&c.left, &c.right};
    for (int s = 0; s < 2; ++s) {
        SCOPED_TRACE(s == 0 ? "left" : "right");
        const auto a = emu_harness::sound_side(*ours, s, kFrom, kTo);
        const auto b = emu_harness::sound_side(*theirs, s, kFrom, kTo);
        if (sides[s]->frequency == 0) {
            EXPECT_LT(emu_harness::rms(b), kSilence) << "the reference plays on this side";
            continue;
        }
        const double fa = fundamental(a, c.measure), fb = fundamental(b, c.measure);
        EXPECT_NEAR(fa, fb, fb * 0.01);
        RecordProperty(std::string(s == 0 ? "left" : "right") + "_reference_hz", std::to_string(fb));
        const auto ea = emu_harness::loudness_envelope(*ours, s, 0.1, kTo, 0.05);
        const auto eb = emu_harness::loudness_envelope(*theirs, s, 0.1, kTo, 0.05);
        ASSERT_EQ(ea.size(), eb.size());
        for (std::size_t i = 0; i < ea.size(); ++i) EXPECT_NEAR(ea[i], eb[i], 0.15) << "block " << i;
        RecordProperty(std::string(s == 0 ? "left" : "right") + "_level_ratio",
                       std::to_string(emu_harness::rms(a) / emu_harness::rms(b)));
    }
}

INSTANTIATE_TEST_SUITE_P(Rom, SoundRom, testing::ValuesIn(kCases), case_name);

// The sweep: rate X(t) = X(t-1) + X(t-1)/8 every 7/128 s from 1200; each
// step's frequency within 1 % in the middle of its step (the first step is
// up to one 128 Hz tick short), and silence once the rate would pass 2047.
constexpr double kSweepStep = 7.0 / 128;
constexpr double kSweepRates[] = {1200, 1350, 1518, 1707};

void check_sweep(const Sound& sound, const char* who) {
    SCOPED_TRACE(who);
    const double start = emu_harness::sound_onset(sound, 0, kSilence);
    ASSERT_GE(start, 0) << "no sound";
    for (std::size_t k = 0; k < std::size(kSweepRates); ++k) {
        const double from = start + static_cast<double>(k) * kSweepStep + 0.010;
        const auto x = emu_harness::sound_side(sound, 0, from, from + kSweepStep - 0.020);
        const double want = 131072.0 / (2048 - kSweepRates[k]);
        EXPECT_NEAR(emu_harness::crossing_frequency(x, kRate), want, want * 0.01) << "step " << k;
        const auto right = emu_harness::sound_side(sound, 1, from, from + kSweepStep - 0.020);
        EXPECT_NEAR(emu_harness::crossing_frequency(right, kRate), want, want * 0.01) << "step " << k << " right";
    }
    const auto after = emu_harness::sound_side(sound, 0, start + 6 * kSweepStep, start + 1.0);
    EXPECT_LT(emu_harness::rms(after), kSilence) << "still playing after the sweep passed 2047";
}

TEST(SoundSweep, RisesStepByStepAndStops) {
    auto sound = record("sound_sweep", false);
    if (!sound) GTEST_SKIP() << "the test ROMs were not built";
    check_sweep(*sound, "ours");
    const auto x = emu_harness::sound_side(*sound, 0, emu_harness::sound_onset(*sound, 0, kSilence) + 0.01, 2);
    EXPECT_NEAR(emu_harness::half_peak_to_peak(x) / kOneStep, 12 * 8, 12 * 8 * 0.05);
}

TEST(SoundSweep, MatchesTheReference) {
    if (!emu_harness::reference_available()) GTEST_SKIP() << "the reference emulator is not available";
    auto theirs = record("sound_sweep", true);
    if (!theirs) GTEST_SKIP() << "the test ROMs were not built";
    check_sweep(*theirs, "reference");
}

} // namespace
