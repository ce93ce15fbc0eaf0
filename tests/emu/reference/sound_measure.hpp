// Measures on a recorded sound: one side of a stretch as numbers, its
// fundamental frequency, its level, its loudness over time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "harness.hpp"

namespace emu_harness {

// Side 0 (left) or 1 (right) from `from` to `to` seconds (clipped to the
// recording), as numbers.
std::vector<double> sound_side(const Sound& sound, int side, double from, double to);

// Frequency from the rising zero crossings around the mean, interpolated
// between samples; 0 when fewer than three crossings.
double crossing_frequency(std::span<const double> x, uint32_t rate);
// The strongest frequency in [low, high] Hz by a DFT scan in 0.2 % steps,
// refined by a parabola through the peak; the mean is removed first.
double dft_peak(std::span<const double> x, uint32_t rate, double low, double high);
// The lag in [min_lag, max_lag] samples where the signal best matches itself
// (normalised autocorrelation), for periodic patterns without clean crossings.
std::size_t repeat_lag(std::span<const double> x, std::size_t min_lag, std::size_t max_lag);

double rms(std::span<const double> x); // around the mean
double half_peak_to_peak(std::span<const double> x);
double peak(std::span<const double> x); // largest magnitude
// The share of samples above the mean (a square wave's duty).
double high_fraction(std::span<const double> x);

// Loudness envelope: the RMS of each block of `block` seconds over side
// `side`, from `from` to `to` seconds, divided by the largest (all 0 for
// silence).
std::vector<double> loudness_envelope(const Sound& sound, int side, double from, double to, double block);

// The first moment (seconds) a side's magnitude exceeds `threshold`;
// negative when never.
double sound_onset(const Sound& sound, int side, double threshold);

} // namespace emu_harness
