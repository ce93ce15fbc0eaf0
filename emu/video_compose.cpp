// Windows, priorities and colour effects: the layers' lines mixed into the
// picture.
#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace emu {

namespace {

constexpr uint32_t kLayerObj = 4;
constexpr uint32_t kLayerBackdrop = 5;
constexpr uint8_t kEffectsAllowed = 0x20;

// Marks [left, right) of a window (wrapping around when left > right) with mask.
void window_span(uint8_t* window, uint32_t edges, uint8_t mask) {
    uint32_t left = edges >> 8;
    uint32_t right = edges & 0xFF;
    if (right > kLineWidth) right = kLineWidth;
    if (left <= right) {
        for (uint32_t x = left; x < right; ++x) window[x] = mask;
        return;
    }
    for (uint32_t x = 0; x < right; ++x) window[x] = mask;
    for (uint32_t x = left; x < kLineWidth; ++x) window[x] = mask;
}

// The effects work on channels widened to 8 bits (the 5-bit value with its
// top bits repeated below it) and keep the top 5 bits of the result. Each
// line builds small tables of the weighted channels instead of multiplying
// per pixel.
uint32_t widen(uint32_t c) { return c << 3 | c >> 2; }

struct Effects {
    uint16_t first[32];  // widened channel times EVA
    uint16_t second[32]; // widened channel times EVB
    uint8_t fade[32];    // the channel brightened or darkened by EVY
};

void build_effects(Effects& e, uint32_t effect, uint32_t eva, uint32_t evb, uint32_t evy) {
    for (uint32_t c = 0; c < 32; ++c) {
        uint32_t w = widen(c);
        e.first[c] = static_cast<uint16_t>(w * eva);
        e.second[c] = static_cast<uint16_t>(w * evb);
        uint32_t faded = effect == 2 ? (w + (((255 - w) * evy) >> 4)) >> 3 : ((w * (16 - evy)) >> 4) >> 3;
        e.fade[c] = static_cast<uint8_t>(faded);
    }
}

uint32_t blend(const Effects& e, uint32_t a, uint32_t b) {
    uint32_t result = 0;
    for (uint32_t shift = 0; shift < 15; shift += 5) {
        uint32_t c = (static_cast<uint32_t>(e.first[(a >> shift) & 31]) + e.second[(b >> shift) & 31]) >> 7;
        result |= (c > 31 ? 31 : c) << shift;
    }
    return result;
}

uint32_t fade(const Effects& e, uint32_t c) {
    return e.fade[c & 31] | static_cast<uint32_t>(e.fade[(c >> 5) & 31]) << 5 |
           static_cast<uint32_t>(e.fade[(c >> 10) & 31]) << 10;
}

uint32_t coefficient(uint32_t raw) { return (raw & 31) > 16 ? 16u : raw & 31; }

// The backgrounds of a line from front to back: each one's line buffer, its
// bit in the window mask and its number.
struct Layers {
    const uint16_t* line[4];
    uint32_t bit[4];
    uint32_t number[4];
    uint32_t count;
};

Layers layers_of(const Video& v, const uint32_t* order, uint32_t count) {
    Layers l{};
    l.count = count;
    for (uint32_t i = 0; i < count; ++i) {
        l.line[i] = v.bg[order[i]];
        l.bit[i] = 1u << order[i];
        l.number[i] = order[i];
    }
    return l;
}

// What the line mixing with effects needs (video_compose_line).
struct Mix {
    const Video& v;
    const uint32_t* order;
    const uint32_t* priority;
    uint32_t count;
    uint32_t backdrop;
    uint32_t bldcnt;
    uint32_t effect;
    bool obj_on;
};

// The front Wanted layers of each pixel (the backdrop behind them all) with
// the effects applied.
template <uint32_t Wanted> void mix_effects(const Mix& mix, const Effects& e, uint16_t* out) {
    const Video& v = mix.v;
    const uint32_t bldcnt = mix.bldcnt;
    const Layers l = layers_of(v, mix.order, mix.count);
    for (uint32_t x = 0; x < kLineWidth; ++x) {
        uint32_t shown = v.window[x];
        uint32_t colour[2] = {mix.backdrop, mix.backdrop};
        uint32_t layer[2] = {kLayerBackdrop, kLayerBackdrop};
        uint32_t found = 0;
        uint32_t obj_priority = 4;
        if (mix.obj_on && (v.obj[x] & kOpaque) != 0 && (shown & (1u << kLayerObj)) != 0) {
            obj_priority = v.obj_attr[x] & kObjPriorityMask;
        }
        for (uint32_t i = 0; i < mix.count && found < Wanted; ++i) {
            if (obj_priority <= mix.priority[i]) {
                colour[found] = v.obj[x] & 0x7FFF;
                layer[found++] = kLayerObj;
                obj_priority = 4;
                if (found == Wanted) break;
            }
            uint32_t pixel = l.line[i][x];
            if ((pixel & kOpaque) != 0 && (shown & l.bit[i]) != 0) {
                colour[found] = pixel & 0x7FFF;
                layer[found++] = l.number[i];
            }
        }
        if (found < Wanted && obj_priority < 4) {
            colour[found] = v.obj[x] & 0x7FFF;
            layer[found++] = kLayerObj;
        }
        uint32_t result = colour[0];
        // The backdrop has nothing behind it to blend with.
        bool second_target = layer[0] != kLayerBackdrop && (bldcnt & (0x100u << layer[1])) != 0;
        if (layer[0] == kLayerObj && (v.obj_attr[x] & kObjSemiTransparent) != 0 && second_target) {
            result = blend(e, colour[0], colour[1]);
        } else if ((shown & kEffectsAllowed) != 0 && mix.effect != 0 && (bldcnt & (1u << layer[0])) != 0) {
            if (mix.effect == 1) {
                if (second_target) result = blend(e, colour[0], colour[1]);
            } else {
                result = fade(e, colour[0]);
            }
        }
        out[x] = static_cast<uint16_t>(result);
    }
}

// The front opaque background at x that the mask `shown` lets through, its
// number in `layer`; else the backdrop.
inline uint32_t front_at(const Layers& l, uint32_t x, uint32_t shown, uint32_t backdrop, uint32_t& layer) {
    for (uint32_t i = 0; i < l.count; ++i) {
        uint32_t pixel = l.line[i][x];
        if ((pixel & kOpaque) != 0 && (shown & l.bit[i]) != 0) {
            layer = l.number[i];
            return pixel & 0x7FFF;
        }
    }
    layer = kLayerBackdrop;
    return backdrop;
}

// Brightening or darkening without sprites: the front background the window
// shows (or the backdrop), faded where the window allows effects and the
// layer is a first target.
void front_faded(const Mix& mix, const Effects& e, uint16_t* out) {
    const Video& v = mix.v;
    const Layers l = layers_of(v, mix.order, mix.count);
    for (uint32_t x = 0; x < kLineWidth; ++x) {
        uint32_t shown = v.window[x];
        uint32_t layer = 0;
        uint32_t colour = front_at(l, x, shown, mix.backdrop, layer);
        if ((shown & kEffectsAllowed) != 0 && (mix.bldcnt & (1u << layer)) != 0) colour = fade(e, colour);
        out[x] = static_cast<uint16_t>(colour);
    }
}

// The front opaque pixel of the backgrounds in order (front to back) that
// the window mask shows, or the backdrop. Without windows the mask shows
// every layer everywhere.
void front_backgrounds(const Video& v, const uint32_t* order, uint32_t count, uint32_t backdrop, bool windows,
                       uint16_t* out) {
    if (!windows && count == 1) {
        const uint16_t* bg = v.bg[order[0]];
        for (uint32_t x = 0; x < kLineWidth; ++x) {
            uint32_t pixel = bg[x];
            out[x] = static_cast<uint16_t>((pixel & kOpaque) != 0 ? pixel & 0x7FFF : backdrop);
        }
        return;
    }
    const Layers l = layers_of(v, order, count);
    uint32_t layer = 0;
    for (uint32_t x = 0; x < kLineWidth; ++x) {
        out[x] = static_cast<uint16_t>(front_at(l, x, windows ? v.window[x] : 0x3Fu, backdrop, layer));
    }
}

} // namespace

void video_window_line(Gba& gba, uint32_t line) {
    Video& v = gba.video;
    const uint8_t* io = gba.mem.io;
    uint32_t dispcnt = load16(io);
    for (uint32_t w = 0; w < 2; ++w) {
        uint32_t edges = load16(io + 0x44 + w * 2);
        if (line == (edges >> 8)) v.window_v[w] = true;
        if (line == (edges & 0xFF)) v.window_v[w] = false;
    }
    if ((dispcnt & 0xE000) == 0) {
        __builtin_memset(v.window, 0x3F, sizeof v.window);
        return;
    }
    uint32_t winin = load16(io + 0x48);
    uint32_t winout = load16(io + 0x4A);
    __builtin_memset(v.window, static_cast<int>(winout & 0x3F), sizeof v.window);
    if ((dispcnt & 0x8000) != 0) {
        uint8_t inside = static_cast<uint8_t>((winout >> 8) & 0x3F);
        for (uint32_t x = 0; x < kLineWidth; ++x) {
            if ((v.obj_attr[x] & kObjWindow) != 0) v.window[x] = inside;
        }
    }
    for (uint32_t w = 2; w-- > 0;) {
        if ((dispcnt & (0x2000u << w)) == 0 || !v.window_v[w]) continue;
        window_span(v.window, load16(io + 0x40 + w * 2), static_cast<uint8_t>((winin >> (w * 8)) & 0x3F));
    }
}

void video_compose_line(const Gba& gba, uint32_t layers, uint16_t* out) {
    const Video& v = gba.video;
    const uint8_t* io = gba.mem.io;
    uint32_t bldcnt = load16(io + 0x50);
    uint32_t bldalpha = load16(io + 0x52);
    uint32_t effect = (bldcnt >> 6) & 3;
    uint32_t backdrop = load16(gba.mem.palette) & 0x7FFF;

    // The enabled backgrounds from front to back: priority, then number.
    uint32_t order[4];
    uint32_t priority[4];
    uint32_t count = 0;
    for (uint32_t p = 0; p < 4; ++p) {
        for (uint32_t bg = 0; bg < 4; ++bg) {
            if ((layers & (1u << bg)) == 0 || (load16(io + 0x08 + bg * 2) & 3) != p) continue;
            priority[count] = p;
            order[count++] = bg;
        }
    }
    bool obj_on = (layers & (1u << kLayerObj)) != 0;
    bool semi = obj_on && v.semi_transparent_on_line;

    if ((effect == 0 || (bldcnt & 0x3F) == 0) && !semi) {
        // No effect can apply: the front pixel alone.
        if (!obj_on) {
            // No sprites: the front opaque background the window shows.
            front_backgrounds(v, order, count, backdrop, (load16(io) & 0xE000) != 0, out);
            return;
        }
        const Layers l = layers_of(v, order, count);
        for (uint32_t x = 0; x < kLineWidth; ++x) {
            uint32_t shown = v.window[x];
            uint32_t obj_priority = 4;
            if (obj_on && (v.obj[x] & kOpaque) != 0 && (shown & (1u << kLayerObj)) != 0) {
                obj_priority = v.obj_attr[x] & kObjPriorityMask;
            }
            uint32_t result = backdrop;
            uint32_t i = 0;
            for (; i < count; ++i) {
                if (obj_priority <= priority[i]) break;
                uint32_t pixel = l.line[i][x];
                if ((pixel & kOpaque) != 0 && (shown & l.bit[i]) != 0) {
                    result = pixel;
                    break;
                }
            }
            if (i == count ? obj_priority < 4 : obj_priority <= priority[i]) result = v.obj[x];
            out[x] = static_cast<uint16_t>(result & 0x7FFF);
        }
        return;
    }

    Effects e;
    build_effects(e, effect, coefficient(bldalpha), coefficient(bldalpha >> 8), coefficient(load16(io + 0x54)));
    // Brightness alone needs only the front pixel; blending the one behind.
    const Mix mix{v, order, priority, count, backdrop, bldcnt, effect, obj_on};
    if (semi || effect == 1) mix_effects<2>(mix, e, out);
    else if (!obj_on) front_faded(mix, e, out);
    else mix_effects<1>(mix, e, out);
}

} // namespace emu
