// The arithmetic system calls: Div, Sqrt, ArcTan, ArcTan2, MidiKey2Freq and
// the sine table the rotation calls use. Plain functions of their operands;
// bios_trap moves the registers in and out.
#include "emu/gba.hpp"

namespace emu {
namespace {

// --- the sine table ------------------------------------------------------------
// sin(i * 2pi / 256) * 4000h for i = 0..64, cut toward zero, computed at
// compile time; the other three quarters follow by symmetry.
constexpr double kPi = 3.14159265358979323846;

constexpr double taylor_sin(double x) {
    double term = x;
    double sum = x;
    for (int n = 1; n < 30; ++n) {
        term *= -x * x / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

struct QuarterSine {
    int16_t v[65];
};

constexpr QuarterSine make_quarter_sine() {
    QuarterSine t{};
    for (int i = 0; i <= 64; ++i) {
        // The error of the series is far below the distance of any entry
        // from the next integer, so the cut lands where the exact value's does.
        t.v[i] = static_cast<int16_t>(taylor_sin(2.0 * kPi * i / 256.0) * 16384.0 + 1e-9);
    }
    return t;
}

constexpr QuarterSine kQuarterSine = make_quarter_sine();
static_assert(kQuarterSine.v[1] == 0x0192 && kQuarterSine.v[2] == 0x0323);
static_assert(kQuarterSine.v[32] == 0x2D41 && kQuarterSine.v[63] == 0x3FFB);
static_assert(kQuarterSine.v[64] == 0x4000);

// Shifts of signed values: C++20 defines >> on negative numbers as arithmetic.
constexpr int32_t mul32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// 2^x for the sound call, without a maths library: the integer part by
// doubling or halving, the fraction by its series.
double exp2_of(double x) {
    int whole = static_cast<int>(x);
    if (static_cast<double>(whole) > x) --whole;
    const double frac_ln = (x - static_cast<double>(whole)) * 0.69314718055994530942;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n < 25; ++n) {
        term *= frac_ln / n;
        sum += term;
    }
    for (; whole > 0; --whole) sum *= 2.0;
    for (; whole < 0; ++whole) sum *= 0.5;
    return sum;
}

// Conversions kept to the signed 32-bit ones every target has as instructions.
double from_u32(uint32_t v) {
    return static_cast<double>(static_cast<int32_t>(v >> 1)) * 2.0 + static_cast<double>(v & 1);
}

uint32_t to_u32(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 4294967295.0) return 0xFFFFFFFF;
    if (v >= 2147483648.0) return static_cast<uint32_t>(static_cast<int32_t>(v - 2147483648.0)) + 0x80000000u;
    return static_cast<uint32_t>(static_cast<int32_t>(v));
}

} // namespace

int16_t bios_sine(uint32_t index) {
    index &= 0xFF;
    const uint32_t quarter = index & 0x3F;
    int16_t v = 0;
    switch (index >> 6) {
    case 0: v = kQuarterSine.v[quarter]; break;
    case 1: v = kQuarterSine.v[64 - quarter]; break;
    case 2: v = static_cast<int16_t>(-kQuarterSine.v[quarter]); break;
    default: v = static_cast<int16_t>(-kQuarterSine.v[64 - quarter]); break;
    }
    return v;
}

BiosDivision bios_div(int32_t number, int32_t denom) {
    const bool number_negative = number < 0;
    const bool quotient_negative = number_negative != (denom < 0);
    const uint32_t n = number_negative ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
    const uint32_t d = denom < 0 ? 0u - static_cast<uint32_t>(denom) : static_cast<uint32_t>(denom);
    uint32_t q = 0;
    uint32_t r = 0;
    if (d == 0) {
        // The BIOS's shift-and-subtract loop ends for a zero denominator only
        // when |number| <= 1, with quotient 1 and remainder |number|; for
        // larger numbers it never ends. Rather than hang, every number gets
        // that same answer: quotient +-1, remainder the number.
        q = 1;
        r = n;
    } else {
        q = n / d;
        r = n % d;
    }
    BiosDivision result{};
    result.magnitude = q;
    result.quotient = quotient_negative ? 0u - q : q;
    result.remainder = number_negative ? 0u - r : r;
    return result;
}

uint32_t bios_sqrt(uint32_t value) {
    // Bit by bit, from the highest possible result bit: the floor of the root.
    uint32_t root = 0;
    uint32_t rest = value;
    uint32_t bit = 1u << 30;
    while (bit > rest) bit >>= 2;
    while (bit != 0) {
        if (rest >= root + bit) {
            rest -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return root;
}

BiosArcTan bios_arctan(uint32_t tan) {
    // The BIOS's polynomial, step by step with its 32-bit products and shifts.
    const int32_t i = static_cast<int32_t>(tan);
    const int32_t a = -(mul32(i, i) >> 14);
    int32_t b = (mul32(0xA9, a) >> 14) + 0x390;
    b = (mul32(b, a) >> 14) + 0x91C;
    b = (mul32(b, a) >> 14) + 0xFB6;
    b = (mul32(b, a) >> 14) + 0x16AA;
    b = (mul32(b, a) >> 14) + 0x2081;
    b = (mul32(b, a) >> 14) + 0x3651;
    b = (mul32(b, a) >> 14) + 0xA2F9;
    BiosArcTan result{};
    result.r0 = static_cast<uint32_t>(mul32(i, b) >> 16);
    result.r1 = static_cast<uint32_t>(a);
    result.r3 = static_cast<uint32_t>(b);
    return result;
}

uint32_t bios_arctan2(int16_t x, int16_t y) {
    // The angle 0..FFFFh of the point (x, y): the half-quadrant chooses the
    // ratio below 1 and the quarter turn it is added to or taken from.
    const auto atan_of = [](int32_t num, int32_t den) {
        return static_cast<int32_t>(bios_arctan(static_cast<uint32_t>((num * 16384) / den)).r0);
    };
    const int32_t sx = x;
    const int32_t sy = y;
    int32_t angle = 0;
    if (sy == 0) {
        angle = sx >= 0 ? 0 : 0x8000;
    } else if (sx == 0) {
        angle = sy >= 0 ? 0x4000 : 0xC000;
    } else if (sy > 0) {
        if (sx > 0 && sx >= sy) {
            angle = atan_of(sy, sx);
        } else if (sx < 0 && -sx >= sy) {
            angle = atan_of(sy, sx) + 0x8000;
        } else {
            angle = 0x4000 - atan_of(sx, sy);
        }
    } else {
        if (sx < 0 && -sx > -sy) {
            angle = atan_of(sy, sx) + 0x8000;
        } else if (sx > 0 && sx >= -sy) {
            angle = atan_of(sy, sx) + 0x10000;
        } else {
            angle = 0xC000 - atan_of(sx, sy);
        }
    }
    // 0..FFFFh: a point just below the positive x axis comes out as 0.
    return static_cast<uint32_t>(angle) & 0xFFFF;
}

uint32_t bios_midi_key_to_freq(uint32_t wave_freq, uint32_t key, uint32_t fine) {
    // freq / 2^((180 - key - fine/256) / 12)
    const double halftones = 180.0 - static_cast<double>(static_cast<int32_t>(key & 0xFF)) -
                             static_cast<double>(static_cast<int32_t>(fine & 0xFF)) / 256.0;
    return to_u32(from_u32(wave_freq) * exp2_of(-halftones / 12.0));
}

} // namespace emu
