#include "sound_measure.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace emu_harness {

namespace {

double mean(std::span<const double> x) {
    double sum = 0;
    for (double v : x) sum += v;
    return x.empty() ? 0.0 : sum / static_cast<double>(x.size());
}

double dft_power(std::span<const double> x, double m, uint32_t rate, double f) {
    // Goertzel's recurrence at frequency f.
    const double w = 2.0 * std::numbers::pi * f / rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (double v : x) {
        const double s = (v - m) + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - c * s1 * s2;
}

} // namespace

std::vector<double> sound_side(const Sound& sound, int side, double from, double to) {
    const auto clip = [&](double t) {
        const double at = std::clamp(t * sound.rate, 0.0, static_cast<double>(sound.frames()));
        return static_cast<std::size_t>(at);
    };
    std::vector<double> out;
    for (std::size_t i = clip(from); i < clip(to); ++i)
        out.push_back(sound.samples[2 * i + static_cast<std::size_t>(side)]);
    return out;
}

double crossing_frequency(std::span<const double> x, uint32_t rate) {
    const double m = mean(x);
    double first = -1, last = -1;
    std::size_t count = 0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        const double a = x[i - 1] - m, b = x[i] - m;
        if (a < 0 && b >= 0) {
            const double at = static_cast<double>(i - 1) + (-a) / (b - a);
            if (count == 0) first = at;
            last = at;
            ++count;
        }
    }
    if (count < 3) return 0;
    return static_cast<double>(count - 1) * rate / (last - first);
}

double dft_peak(std::span<const double> x, uint32_t rate, double low, double high) {
    const double m = mean(x);
    double best_f = low, best = -1, before = 0, after = 0, previous = 0;
    bool take_next = false;
    for (double f = low; f <= high; f *= 1.002) {
        const double p = dft_power(x, m, rate, f);
        if (take_next) {
            after = p;
            take_next = false;
        }
        if (p > best) {
            best = p;
            best_f = f;
            before = previous;
            take_next = true;
        }
        previous = p;
    }
    // A parabola through the three powers around the peak (in log frequency).
    const double denominator = before - 2 * best + after;
    if (denominator < 0) best_f *= std::pow(1.002, 0.5 * (before - after) / denominator);
    return best_f;
}

std::size_t repeat_lag(std::span<const double> x, std::size_t min_lag, std::size_t max_lag) {
    const double m = mean(x);
    std::size_t best_lag = 0;
    double best = -2;
    for (std::size_t lag = min_lag; lag <= max_lag && lag < x.size(); ++lag) {
        double sum = 0, energy_a = 0, energy_b = 0;
        for (std::size_t i = 0; i + lag < x.size(); ++i) {
            const double a = x[i] - m, b = x[i + lag] - m;
            sum += a * b;
            energy_a += a * a;
            energy_b += b * b;
        }
        const double r = energy_a > 0 && energy_b > 0 ? sum / std::sqrt(energy_a * energy_b) : 0;
        if (r > best) {
            best = r;
            best_lag = lag;
        }
    }
    return best_lag;
}

double rms(std::span<const double> x) {
    const double m = mean(x);
    double sum = 0;
    for (double v : x) sum += (v - m) * (v - m);
    return x.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(x.size()));
}

double half_peak_to_peak(std::span<const double> x) {
    if (x.empty()) return 0;
    const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
    return (*hi - *lo) / 2;
}

double peak(std::span<const double> x) {
    double p = 0;
    for (double v : x) p = std::max(p, std::abs(v));
    return p;
}

double high_fraction(std::span<const double> x) {
    const double m = mean(x);
    const auto high = std::count_if(x.begin(), x.end(), [m](double v) { return v > m; });
    return x.empty() ? 0.0 : static_cast<double>(high) / static_cast<double>(x.size());
}

std::vector<double> loudness_envelope(const Sound& sound, int side, double from, double to, double block) {
    std::vector<double> out;
    for (double t = from; t + block <= to + 1e-9; t += block) out.push_back(rms(sound_side(sound, side, t, t + block)));
    const double top = out.empty() ? 0.0 : *std::max_element(out.begin(), out.end());
    if (top > 0)
        for (double& v : out) v /= top;
    return out;
}

double sound_onset(const Sound& sound, int side, double threshold) {
    for (std::size_t i = 0; i < sound.frames(); ++i)
        if (std::abs(static_cast<double>(sound.samples[2 * i + static_cast<std::size_t>(side)])) > threshold)
            return static_cast<double>(i) / sound.rate;
    return -1;
}

} // namespace emu_harness
