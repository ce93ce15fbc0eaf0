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
// top bits repeated below it) and keep the top 5 bits of the result.
uint32_t widen(uint32_t c) { return c << 3 | c >> 2; }

uint32_t blend_channel(uint32_t a, uint32_t b, uint32_t eva, uint32_t evb) {
    uint32_t c = (widen(a) * eva + widen(b) * evb) >> 7;
    return c > 31 ? 31 : c;
}

uint32_t brighten_channel(uint32_t c, uint32_t evy) {
    uint32_t w = widen(c);
    return (w + (((255 - w) * evy) >> 4)) >> 3;
}

uint32_t darken_channel(uint32_t c, uint32_t evy) {
    return ((widen(c) * (16 - evy)) >> 4) >> 3;
}

uint32_t blend(uint32_t a, uint32_t b, uint32_t eva, uint32_t evb) {
    return blend_channel(a & 31, b & 31, eva, evb) | blend_channel((a >> 5) & 31, (b >> 5) & 31, eva, evb) << 5 |
           blend_channel((a >> 10) & 31, (b >> 10) & 31, eva, evb) << 10;
}

uint32_t brighten(uint32_t c, uint32_t evy) {
    return brighten_channel(c & 31, evy) | brighten_channel((c >> 5) & 31, evy) << 5 |
           brighten_channel((c >> 10) & 31, evy) << 10;
}

uint32_t darken(uint32_t c, uint32_t evy) {
    return darken_channel(c & 31, evy) | darken_channel((c >> 5) & 31, evy) << 5 |
           darken_channel((c >> 10) & 31, evy) << 10;
}

uint32_t coefficient(uint32_t raw) { return (raw & 31) > 16 ? 16u : raw & 31; }

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
    uint32_t eva = coefficient(bldalpha);
    uint32_t evb = coefficient(bldalpha >> 8);
    uint32_t evy = coefficient(load16(io + 0x54));
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

    for (uint32_t x = 0; x < kLineWidth; ++x) {
        uint32_t shown = v.window[x];
        uint32_t colour[2] = {backdrop, backdrop};
        uint32_t layer[2] = {kLayerBackdrop, kLayerBackdrop};
        uint32_t found = 0;
        uint32_t obj_priority = 4;
        if (obj_on && (v.obj[x] & kOpaque) != 0 && (shown & (1u << kLayerObj)) != 0) {
            obj_priority = v.obj_attr[x] & kObjPriorityMask;
        }
        for (uint32_t i = 0; i < count && found < 2; ++i) {
            if (obj_priority <= priority[i]) {
                colour[found] = v.obj[x] & 0x7FFF;
                layer[found++] = kLayerObj;
                obj_priority = 4;
                if (found == 2) break;
            }
            uint32_t bg = order[i];
            uint32_t pixel = v.bg[bg][x];
            if ((pixel & kOpaque) != 0 && (shown & (1u << bg)) != 0) {
                colour[found] = pixel & 0x7FFF;
                layer[found++] = bg;
            }
        }
        if (found < 2 && obj_priority < 4) {
            colour[found] = v.obj[x] & 0x7FFF;
            layer[found++] = kLayerObj;
        }
        uint32_t result = colour[0];
        bool second_target = (bldcnt & (0x100u << layer[1])) != 0;
        if (layer[0] == kLayerObj && (v.obj_attr[x] & kObjSemiTransparent) != 0 && second_target) {
            result = blend(colour[0], colour[1], eva, evb);
        } else if ((shown & kEffectsAllowed) != 0 && effect != 0 && (bldcnt & (1u << layer[0])) != 0) {
            if (effect == 1) {
                if (second_target) result = blend(colour[0], colour[1], eva, evb);
            } else if (effect == 2) {
                result = brighten(colour[0], evy);
            } else {
                result = darken(colour[0], evy);
            }
        }
        out[x] = static_cast<uint16_t>(result);
    }
}

} // namespace emu
