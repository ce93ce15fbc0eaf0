// The tone channels heard through the mixer: the registers are written as a
// game writes them, time passes, and the samples are measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "emu/apu.hpp"
#include "emu/bus.hpp"
#include "emu/gba.hpp"

namespace {

constexpr uint32_t kRate = 32768;

struct Sound {
    std::vector<uint8_t> rom = std::vector<uint8_t>(0x200, 0);
    std::unique_ptr<emu::Gba> gba = std::make_unique<emu::Gba>();
    Sound() {
        EXPECT_TRUE(emu::gba_init(*gba, rom.data(), static_cast<uint32_t>(rom.size())));
        emu::apu_set_rate(*gba, kRate);
        reg(0x84, 0x0080); // master enable
        reg(0x82, 0x0002); // tones at 100 %
    }
    void reg(uint32_t offset, uint16_t value) {
        emu::bus_write16(*gba, 0x04000000 + offset, value, emu::Access::NonSeq);
    }
    // Lets `seconds` pass and returns the left and right samples.
    std::vector<int16_t> run(double seconds) {
        // In steps of a frame, taking the samples as a player would.
        const uint64_t end = gba->cycles + static_cast<uint64_t>(seconds * 16777216.0);
        std::vector<int16_t> out(2 * emu::kApuRingFrames);
        std::vector<int16_t> all;
        while (gba->cycles < end) {
            gba->cycles = std::min<uint64_t>(end, gba->cycles + 280896);
            const uint32_t n = emu::apu_take(*gba, out.data(), emu::kApuRingFrames);
            all.insert(all.end(), out.begin(), out.begin() + 2 * n);
        }
        return all;
    }
};

std::vector<int16_t> side(const std::vector<int16_t>& stereo, int which) {
    std::vector<int16_t> mono;
    for (size_t i = static_cast<size_t>(which); i < stereo.size(); i += 2) mono.push_back(stereo[i]);
    return mono;
}

// Rising zero crossings per second.
double frequency(const std::vector<int16_t>& mono) {
    int crossings = 0;
    for (size_t i = 1; i < mono.size(); ++i) crossings += (mono[i - 1] <= 0 && mono[i] > 0) ? 1 : 0;
    return crossings * static_cast<double>(kRate) / static_cast<double>(mono.size());
}

double high_fraction(const std::vector<int16_t>& mono) {
    size_t high = 0;
    for (int16_t s : mono) high += s > 0 ? 1 : 0;
    return static_cast<double>(high) / static_cast<double>(mono.size());
}

int peak(const std::vector<int16_t>& mono, size_t from, size_t to) {
    int p = 0;
    for (size_t i = from; i < to && i < mono.size(); ++i) p = std::max(p, std::abs(static_cast<int>(mono[i])));
    return p;
}

TEST(ApuSquare, PlaysItsFrequencyAndDutyOnTheChosenSide) {
    struct Case {
        uint32_t channel; // 0 or 1
        uint16_t rate_value;
        uint16_t duty;
        double expected_duty;
    };
    const Case cases[] = {{0, 1750, 2, 0.5}, {1, 1899, 0, 0.125}, {1, 1024, 3, 0.75}, {0, 1967, 1, 0.25}};
    for (const Case& c : cases) {
        Sound s;
        s.reg(0x80, c.channel == 0 ? 0x1077 : 0x2077); // left only, full master volume
        const uint32_t envelope = 0xF000u | static_cast<uint32_t>(c.duty) << 6;
        s.reg(c.channel == 0 ? 0x62 : 0x68, static_cast<uint16_t>(envelope));
        s.reg(c.channel == 0 ? 0x64 : 0x6C, static_cast<uint16_t>(0x8000 | c.rate_value));
        const auto samples = s.run(1.0);
        const auto left = side(samples, 0), right = side(samples, 1);
        const double expected = 131072.0 / (2048 - c.rate_value);
        EXPECT_NEAR(frequency(left), expected, expected * 0.01) << c.rate_value;
        EXPECT_NEAR(high_fraction(left), c.expected_duty, 0.02) << c.rate_value;
        EXPECT_EQ(peak(right, 0, right.size()), 0) << "nothing on the right";
        // A tone channel at full volume spans a quarter of the output's range.
        EXPECT_NEAR(peak(left, 0, left.size()), 32768 / 8, 32768 / 80) << c.rate_value;
    }
}

TEST(ApuSquare, SweepRaisesThePitchAndLengthEndsTheNote) {
    Sound s;
    s.reg(0x80, 0x1177);
    s.reg(0x60, 0x0071); // every 7 x 7.8 ms, up by f/2
    s.reg(0x62, 0xF080);
    s.reg(0x64, 0x8000 | 1024);
    const auto left = side(s.run(0.1), 0);
    const size_t tenth = left.size() / 2;
    EXPECT_GT(frequency(std::vector<int16_t>(left.begin() + static_cast<long>(tenth), left.end())),
              frequency(std::vector<int16_t>(left.begin(), left.begin() + static_cast<long>(tenth))) * 1.3);

    Sound t;
    t.reg(0x80, 0x2277);
    t.reg(0x68, 0xF080 | 32); // length 64 - 32 = 32 ticks of 1/256 s = 125 ms
    t.reg(0x6C, 0xC000 | 1750);
    const auto note = side(t.run(0.25), 0);
    EXPECT_GT(peak(note, 0, note.size() * 4 / 10), 3000);        // playing up to 100 ms
    EXPECT_EQ(peak(note, note.size() * 6 / 10, note.size()), 0); // silent after 150 ms
}

TEST(ApuSquare, EnvelopeFadesAndTheMasterVolumeScales) {
    Sound s;
    s.reg(0x80, 0x2277);
    s.reg(0x68, 0xF180); // from 15 down, one step per 1/64 s
    s.reg(0x6C, 0x8000 | 1750);
    const auto left = side(s.run(0.3), 0);
    const size_t n = left.size();
    EXPECT_GT(peak(left, 0, n / 20), 3 * peak(left, n * 6 / 10, n * 7 / 10));

    Sound quiet;
    quiet.reg(0x80, 0x2200); // master volume 0 of 7: an eighth
    quiet.reg(0x68, 0xF080);
    quiet.reg(0x6C, 0x8000 | 1750);
    const auto soft = side(quiet.run(0.1), 0);
    EXPECT_NEAR(peak(soft, 0, soft.size()), (32768 / 8) / 8, 64);
}

TEST(ApuWave, PlaysTheBankItWasGivenAtItsRate) {
    Sound s;
    s.reg(0x80, 0x4477);
    s.reg(0x70, 0x0040); // bank 1 playing: writes go to bank 0
    for (uint32_t i = 0; i < 16; i += 2) s.reg(0x90 + i, i < 8 ? 0xFFFF : 0x0000);
    s.reg(0x70, 0x0000); // now bank 0 plays, the one just written
    s.reg(0x70, 0x0080);
    s.reg(0x72, 0x2000); // 100 %
    s.reg(0x74, 0x8000 | 1536);
    const auto left = side(s.run(1.0), 0);
    const double expected = 65536.0 / (2048 - 1536); // half the bank high, half low
    EXPECT_NEAR(frequency(left), expected, expected * 0.01);
    EXPECT_NEAR(high_fraction(left), 0.5, 0.02);
}

TEST(ApuNoise, IsIrregularAndTheNarrowCounterRepeatsSoon) {
    Sound s;
    s.reg(0x80, 0x8877);
    s.reg(0x78, 0xF000);
    s.reg(0x7C, 0x8000 | 0x0021); // 15-bit counter
    const auto wide = side(s.run(0.5), 0);
    EXPECT_NEAR(high_fraction(wide), 0.5, 0.05);
    // A 7-bit counter repeats every 127 steps: at 64 cycles per step and 512
    // cycles per sample, the pattern repeats every 127 samples exactly.
    Sound n;
    n.reg(0x80, 0x8877);
    n.reg(0x78, 0xF000);
    n.reg(0x7C, 0x8000 | 0x0009);
    const auto narrow = side(n.run(0.1), 0);
    int same = 0;
    for (size_t i = 0; i + 127 < narrow.size(); ++i) same += narrow[i] == narrow[i + 127] ? 1 : 0;
    EXPECT_EQ(same, static_cast<int>(narrow.size() - 127));
}

TEST(ApuMixer, SilentWhenOffAndNoSamplesWhenNoneAreWanted) {
    Sound s;
    s.reg(0x80, 0x2277);
    s.reg(0x68, 0xF080);
    s.reg(0x6C, 0x8000 | 1750);
    s.reg(0x84, 0x0000); // master off: the tone registers are cleared too
    const auto off = s.run(0.05);
    EXPECT_FALSE(off.empty());
    EXPECT_EQ(peak(off, 0, off.size()), 0);
    EXPECT_EQ(emu::bus_read16(*s.gba, 0x04000068, emu::Access::NonSeq), 0);

    emu::apu_set_rate(*s.gba, 0);
    EXPECT_TRUE(s.run(0.05).empty());
}

} // namespace
