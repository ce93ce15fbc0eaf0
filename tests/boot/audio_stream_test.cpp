// The console's sound stream: resampling 32768 -> 32000 Hz keeps a tone's
// pitch, the rate correction holds the ring's fill when the producer runs
// fast or slow, fades start and end without a click, the blocks alternate,
// and a dry ring holds the last frame.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

extern "C" {
#include "common/audio_stream.h"
}

namespace {

struct Tone {
    double hz;
    double amplitude;
    double t = 0; // input frames made so far
    std::vector<int16_t> frames(uint32_t count) {
        std::vector<int16_t> out;
        for (uint32_t i = 0; i < count; ++i, t += 1) {
            const auto v = static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * hz * t / AS_INPUT_RATE));
            out.push_back(v);
            out.push_back(static_cast<int16_t>(v / 2)); // the right side at half the level, to tell the sides apart
        }
        return out;
    }
};

std::unique_ptr<audio_stream> make_stream() {
    auto s = std::make_unique<audio_stream>();
    audio_stream_init(s.get());
    return s;
}

// Runs `blocks` blocks, the producer pushing at `input_rate` frames per
// second of output; returns the left side of every output frame.
std::vector<double> run(audio_stream& s, Tone& tone, double input_rate, int blocks,
                        std::vector<uint32_t>* fills = nullptr) {
    std::vector<double> left;
    double owed = 0;
    for (int b = 0; b < blocks; ++b) {
        owed += input_rate * AS_BLOCK_FRAMES / AS_OUTPUT_RATE;
        const auto n = static_cast<uint32_t>(owed);
        owed -= n;
        const auto frames = tone.frames(n);
        audio_stream_push(&s, frames.data(), n);
        const int16_t* out = audio_stream_fill(&s, AS_BLOCK_FRAMES);
        for (uint32_t i = 0; i < AS_BLOCK_FRAMES; ++i) left.push_back(out[2 * i + AS_OUT_LEFT]);
        if (fills) fills->push_back(s.ring_count);
    }
    return left;
}

double crossing_hz(const std::vector<double>& x, std::size_t from) {
    double first = -1, last = -1;
    int count = 0;
    for (std::size_t i = from + 1; i < x.size(); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            const double at = static_cast<double>(i - 1) + -x[i - 1] / (x[i] - x[i - 1]);
            if (count++ == 0) first = at;
            last = at;
        }
    }
    return count > 2 ? (count - 1) * double(AS_OUTPUT_RATE) / (last - first) : 0;
}

TEST(AudioStream, KeepsThePitchAcrossTheRateChange) {
    auto s = make_stream();
    audio_stream_fade_in(s.get());
    Tone tone{1000, 8000};
    const auto left = run(*s, tone, AS_INPUT_RATE, 200);
    EXPECT_NEAR(crossing_hz(left, 10 * AS_BLOCK_FRAMES), 1000, 10);
    EXPECT_EQ(s->dropped, 0u);
    // Each side in its place in the DMA's frames.
    const int16_t* last = s->block[1 - s->next_block];
    int loudest[2] = {0, 0};
    for (uint32_t i = 0; i < 2 * AS_BLOCK_FRAMES; ++i)
        loudest[i % 2] = std::max(loudest[i % 2], std::abs(int{last[i]}));
    EXPECT_NEAR(loudest[AS_OUT_LEFT], 8000, 100);
    EXPECT_NEAR(loudest[AS_OUT_RIGHT], 4000, 100);
}

// The picture's clock against the sound's: a console field of 1/59.94 s
// carrying one handheld frame (1/59.73 s of sound) makes the producer 0.35 %
// fast; a slow one 0.5 % slow. Either way the fill settles and the ring
// neither overflows nor runs dry.
class AudioStreamDrift : public testing::TestWithParam<double> {};

TEST_P(AudioStreamDrift, HoldsTheFillSteady) {
    auto s = make_stream();
    audio_stream_fade_in(s.get());
    Tone tone{440, 8000};
    std::vector<uint32_t> fills;
    const auto left = run(*s, tone, AS_INPUT_RATE * GetParam(), 2000, &fills); // about a minute
    EXPECT_EQ(s->dropped, 0u);
    EXPECT_EQ(s->underruns, 0u);
    for (std::size_t i = 1000; i < fills.size(); ++i) {
        ASSERT_GT(fills[i], AS_BLOCK_FRAMES / 4) << "block " << i;
        ASSERT_LT(fills[i], AS_TARGET_FILL) << "block " << i;
    }
    // The pitch follows the producer (the game's clock), within 1 %.
    EXPECT_NEAR(crossing_hz(left, 1000 * AS_BLOCK_FRAMES), 440 * GetParam(), 4.4);
}

INSTANTIATE_TEST_SUITE_P(Rates, AudioStreamDrift, testing::Values(59.94 / 59.73, 0.995, 1.0));

TEST(AudioStream, FadesInAndOutWithoutAJump) {
    auto s = make_stream();
    std::vector<int16_t> loud(2 * AS_RING_FRAMES, 20000); // a DC level, enough for three blocks
    audio_stream_push(s.get(), loud.data(), AS_RING_FRAMES);
    const int16_t* silent = audio_stream_fill(s.get(), AS_BLOCK_FRAMES);
    EXPECT_EQ(silent[0], 0);
    EXPECT_EQ(silent[2 * AS_BLOCK_FRAMES - 2], 0) << "sound before the fade in";

    audio_stream_fade_in(s.get());
    const int16_t* in = audio_stream_fill(s.get(), AS_BLOCK_FRAMES);
    int previous = 0, largest_jump = 0;
    for (uint32_t i = 0; i < AS_BLOCK_FRAMES; ++i) {
        largest_jump = std::max(largest_jump, std::abs(in[2 * i] - previous));
        EXPECT_GE(in[2 * i], previous) << "frame " << i;
        previous = in[2 * i];
    }
    EXPECT_NEAR(previous, 20000, 100);
    EXPECT_LE(largest_jump, 20000 / static_cast<int>(AS_FADE_FRAMES) + 2);

    audio_stream_fade_out(s.get());
    EXPECT_FALSE(audio_stream_silent(s.get()));
    const int16_t* out = audio_stream_fill(s.get(), AS_BLOCK_FRAMES);
    largest_jump = 0;
    for (uint32_t i = 0; i < AS_BLOCK_FRAMES; ++i) {
        largest_jump = std::max(largest_jump, std::abs(out[2 * i] - previous));
        previous = out[2 * i];
    }
    EXPECT_EQ(previous, 0);
    EXPECT_LE(largest_jump, 20000 / static_cast<int>(AS_FADE_FRAMES) + 2);
    EXPECT_TRUE(audio_stream_silent(s.get()));
}

TEST(AudioStream, AlternatesTheTwoBlocks) {
    auto s = make_stream();
    const int16_t* a = audio_stream_fill(s.get(), AS_BLOCK_FRAMES);
    const int16_t* b = audio_stream_fill(s.get(), AS_BLOCK_FRAMES);
    const int16_t* c = audio_stream_fill(s.get(), AS_BLOCK_FRAMES);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 32, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 32, 0u);
}

// The largest change between neighbouring output frames of the left side.
int largest_step(const std::vector<double>& x, std::size_t from, std::size_t to) {
    double largest = 0;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i)
        largest = std::max(largest, std::abs(x[i] - x[i - 1]));
    return static_cast<int>(largest);
}

TEST(AudioStream, FadesOutBeforeTheRingRunsDryAndInOnceItIsFullAgain) {
    auto s = make_stream();
    audio_stream_fade_in(s.get());
    std::vector<int16_t> level(2 * (AS_TARGET_FILL + 600), 0);
    for (std::size_t i = 0; i < level.size(); i += 2) {
        level[i] = 12000;
        level[i + 1] = -7000;
    }
    audio_stream_push(s.get(), level.data(), AS_TARGET_FILL + 600);
    std::vector<double> left;
    auto fill = [&] {
        const int16_t* out = audio_stream_fill(s.get(), AS_BLOCK_FRAMES);
        for (uint32_t i = 0; i < AS_BLOCK_FRAMES; ++i) left.push_back(out[2 * i + AS_OUT_LEFT]);
        return out;
    };
    fill();
    fill();
    const int16_t* dry = fill(); // the rest of the level, then nothing
    EXPECT_EQ(s->underruns, 1u);
    EXPECT_EQ(s->primed, 0u) << "plays again only from the target fill";
    EXPECT_EQ(dry[2 * AS_BLOCK_FRAMES - 2], 0) << "a gap is silence";
    EXPECT_EQ(dry[2 * AS_BLOCK_FRAMES - 1], 0);
    EXPECT_EQ(left[AS_FADE_FRAMES + 100], 12000) << "full level before the gap";
    const int steepest_fade = 12000 / static_cast<int>(AS_DRY_FADE_FRAMES) + 2;
    EXPECT_LE(largest_step(left, AS_FADE_FRAMES, left.size()), steepest_fade) << "the level falls to 0 in a ramp";

    std::vector<int16_t> more(level.begin(), level.begin() + 2 * AS_TARGET_FILL);
    audio_stream_push(s.get(), more.data(), AS_TARGET_FILL);
    const auto before = left.size();
    fill();
    EXPECT_EQ(s->primed, 1u);
    EXPECT_LE(left[before], steepest_fade) << "starts again from silence";
    EXPECT_LE(largest_step(left, before, left.size()), steepest_fade) << "and rises in a ramp";
    EXPECT_EQ(left.back(), 12000);
}

// A game at about half speed (the console's loop at 31 fields a second)
// cannot keep the ring filled: its sound plays in pieces, at its pitch (the
// rate correction stays off while the ring keeps running dry).
TEST(AudioStream, SlowGamePlaysInPiecesAtItsPitch) {
    auto s = make_stream();
    audio_stream_fade_in(s.get());
    Tone tone{440, 8000};
    const auto left = run(*s, tone, AS_INPUT_RATE * 31.0 / 59.73, 300); // about 10 s
    EXPECT_GT(s->underruns, 5u);
    EXPECT_EQ(s->dropped, 0u);
    // Every played piece, away from its fades, holds the tone's pitch.
    std::size_t start = 0, pieces = 0;
    for (std::size_t i = 1; i <= left.size(); ++i) {
        const bool end = i == left.size() || (left[i] == 0 && left[i - 1] == 0 && i > start + 1);
        if (!end) continue;
        if (i - start > 4 * AS_BLOCK_FRAMES / 2) {
            const std::vector<double> piece(left.begin() + static_cast<std::ptrdiff_t>(start) + 600,
                                            left.begin() + static_cast<std::ptrdiff_t>(i) - 600);
            EXPECT_NEAR(crossing_hz(piece, 0), 440, 440 * 0.003) << "piece at frame " << start;
            ++pieces;
        }
        while (i < left.size() && left[i] == 0) ++i;
        start = i;
    }
    EXPECT_GT(pieces, 5u);
    EXPECT_LE(largest_step(left, 0, left.size()), 2 * 8000 * 440 * 7 / AS_OUTPUT_RATE) << "no click at a gap";
}

// A slow loop gets longer blocks: twice its longest time between two looks,
// from 48 ms up to 96 ms, in steps of 64 frames.
TEST(AudioStream, BlockLengthFollowsTheLoop) {
    struct Case {
        uint32_t gap, per_second, frames;
    };
    const Case cases[] = {
        {0, 1000, AS_BLOCK_FRAMES}, {16, 1000, AS_BLOCK_FRAMES},     {24, 1000, AS_BLOCK_FRAMES},
        {29, 1000, 1856},                                      // 58 ms: 1856 frames
        {30, 1000, 1920},           {1822500, 40500000, 2880}, // 45 ms of time base
        {47, 1000, 3008},           {49, 1000, AS_BLOCK_MAX_FRAMES}, {4000000000u, 40500000, AS_BLOCK_MAX_FRAMES},
    };
    for (const Case& c : cases) {
        const uint32_t frames = audio_block_frames(c.gap, c.per_second);
        EXPECT_EQ(frames, c.frames) << c.gap << " of " << c.per_second;
        EXPECT_EQ(frames % AS_BLOCK_STEP_FRAMES, 0u);
    }
}

// Blocks of changing length play the sound on without a seam, each as long
// as asked (rounded down to whole steps of 64 frames, at most the largest).
TEST(AudioStream, BlocksOfChangingLengthJoinWithoutASeam) {
    auto s = make_stream();
    audio_stream_fade_in(s.get());
    Tone tone{1000, 8000};
    const auto start = tone.frames(AS_RING_FRAMES);
    audio_stream_push(s.get(), start.data(), AS_RING_FRAMES);
    const uint32_t asked[] = {1536, 2880, 1000, 5000, 10, 1600, 3072, 1536};
    const uint32_t made[] = {1536, 2880, 960, 3072, 64, 1600, 3072, 1536};
    std::vector<double> left;
    for (std::size_t k = 0; k < std::size(asked); ++k) {
        const int16_t* out = audio_stream_fill(s.get(), asked[k]);
        EXPECT_EQ(s->block_frames, made[k]);
        for (uint32_t i = 0; i < s->block_frames; ++i) left.push_back(out[2 * i + AS_OUT_LEFT]);
        const auto more = tone.frames(audio_stream_space(s.get()) / 2);
        audio_stream_push(s.get(), more.data(), static_cast<uint32_t>(more.size() / 2));
    }
    EXPECT_EQ(s->underruns, 0u);
    EXPECT_NEAR(crossing_hz(left, AS_FADE_FRAMES), 1000, 10);
    // A sine of 1000 Hz at 8000 moves at most 2 pi 1000 8000 / 32000 = 1571 a frame.
    EXPECT_LE(largest_step(left, AS_FADE_FRAMES, left.size()), 1650);
}

TEST(AudioStream, RefusesWhatTheFullRingCannotTake) {
    auto s = make_stream();
    std::vector<int16_t> frames(2 * (AS_RING_FRAMES + 100), 1);
    EXPECT_EQ(audio_stream_push(s.get(), frames.data(), AS_RING_FRAMES + 100), AS_RING_FRAMES);
    EXPECT_EQ(s->dropped, 100u);
    EXPECT_EQ(audio_stream_space(s.get()), 0u);
    audio_stream_clear(s.get());
    EXPECT_EQ(audio_stream_space(s.get()), AS_RING_FRAMES);
}

} // namespace
