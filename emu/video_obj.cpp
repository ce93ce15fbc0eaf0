// The sprite layer of one line: the 128 OAM entries in order, normal and
// affine sprites, 4/8 bpp, 1D/2D tile mapping, mosaic, the OBJ window and the
// per-line cycle budget.
#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace emu {

namespace {

constexpr uint8_t kSizes[3][4][2] = {
    {{8, 8}, {16, 16}, {32, 32}, {64, 64}}, // square
    {{16, 8}, {32, 8}, {32, 16}, {64, 32}}, // horizontal
    {{8, 16}, {8, 32}, {16, 32}, {32, 64}}, // vertical
};

constexpr uint32_t kObjVram = 0x10000;

struct Sprite {
    uint32_t width, height; // the picture's size in pixels
    uint32_t tile;          // the character number of the upper-left tile
    uint32_t palette_bank;  // first palette entry (sprite palette) for 4 bpp
    bool colour256;
    bool one_dimensional;
    uint32_t min_tile_offset; // sprite VRAM below this offset belongs to the bitmap
    uint8_t attr;             // priority, semi-transparency or window marks
};

// The palette index of the sprite's pixel (tx, ty), 0 for transparent.
uint32_t sprite_texel(const uint8_t* vram, const Sprite& s, uint32_t tx, uint32_t ty) {
    uint32_t tile_row = ty >> 3;
    uint32_t tile_col = tx >> 3;
    uint32_t tile;
    if (s.colour256) {
        uint32_t stride = s.one_dimensional ? s.width / 8 * 2 : 32;
        uint32_t first = s.one_dimensional ? s.tile : s.tile & ~1u;
        tile = first + tile_row * stride + tile_col * 2;
        uint32_t offset = ((tile & 0x3FF) * 32 + (ty & 7) * 8 + (tx & 7)) & 0x7FFF;
        if (offset < s.min_tile_offset) return 0;
        return vram[kObjVram + offset];
    }
    uint32_t stride = s.one_dimensional ? s.width / 8 : 32;
    tile = s.tile + tile_row * stride + tile_col;
    uint32_t offset = ((tile & 0x3FF) * 32 + (ty & 7) * 4 + ((tx & 7) >> 1)) & 0x7FFF;
    if (offset < s.min_tile_offset) return 0;
    uint32_t pair = vram[kObjVram + offset];
    return (tx & 1) != 0 ? pair >> 4 : pair & 0xF;
}

// The palette indices of a whole row ty of a normal sprite, a tile row
// (8 pixels) at a time.
void sprite_row(const uint8_t* vram, const Sprite& s, uint32_t ty, uint8_t* texels) {
    uint32_t columns = s.width / 8;
    for (uint32_t col = 0; col < columns; ++col) {
        uint8_t* out = texels + col * 8;
        if (s.colour256) {
            uint32_t stride = s.one_dimensional ? columns * 2 : 32;
            uint32_t first = s.one_dimensional ? s.tile : s.tile & ~1u;
            uint32_t base = ((first + (ty >> 3) * stride + col * 2) & 0x3FF) * 32 + (ty & 7) * 8;
            for (uint32_t k = 0; k < 8; ++k) {
                uint32_t offset = (base + k) & 0x7FFF;
                out[k] = offset < s.min_tile_offset ? uint8_t{0} : vram[kObjVram + offset];
            }
            continue;
        }
        uint32_t stride = s.one_dimensional ? columns : 32;
        uint32_t offset = ((s.tile + (ty >> 3) * stride + col) & 0x3FF) * 32 + (ty & 7) * 4;
        uint32_t bits = offset < s.min_tile_offset ? 0u : load32(vram + kObjVram + offset);
        for (uint32_t k = 0; k < 8; ++k, bits >>= 4) out[k] = static_cast<uint8_t>(bits & 0xF);
    }
}

// Writes a sprite pixel into the layer: window sprites only mark the OBJ
// window; others win over a sprite of lower priority drawn before them.
void put_pixel(Video& v, const uint8_t* palette, const Sprite& s, uint32_t x, uint32_t index) {
    if (index == 0) {
        // A transparent pixel still lends its priority and mode to a sprite
        // pixel drawn before it.
        uint8_t old = v.obj_attr[x];
        if ((s.attr & kObjWindow) == 0 && (v.obj[x] & kOpaque) != 0 &&
            (old & kObjPriorityMask) > (s.attr & kObjPriorityMask)) {
            v.obj_attr[x] = static_cast<uint8_t>((old & kObjWindow) | s.attr);
        }
        return;
    }
    if ((s.attr & kObjWindow) != 0) {
        v.obj_attr[x] |= kObjWindow;
        return;
    }
    uint8_t old = v.obj_attr[x];
    if ((v.obj[x] & kOpaque) != 0 && (old & kObjPriorityMask) <= (s.attr & kObjPriorityMask)) return;
    uint32_t entry = s.colour256 ? index : s.palette_bank + index;
    v.obj[x] = static_cast<uint16_t>((load16(palette + 0x200 + entry * 2) & 0x7FFF) | kOpaque);
    v.obj_attr[x] = static_cast<uint8_t>((old & kObjWindow) | s.attr);
}

} // namespace

void video_obj_line(Gba& gba, uint32_t line) {
    Video& v = gba.video;
    __builtin_memset(v.obj, 0, sizeof v.obj);
    __builtin_memset(v.obj_attr, 0, sizeof v.obj_attr);
    v.semi_transparent_on_line = false;
    const uint8_t* io = gba.mem.io;
    const uint8_t* oam = gba.mem.oam;
    uint32_t dispcnt = load16(io);
    uint32_t mosaic = load16(io + 0x4C);
    uint32_t mosaic_w = ((mosaic >> 8) & 15) + 1;
    uint32_t mosaic_h = ((mosaic >> 12) & 15) + 1;
    int32_t budget = (dispcnt & 0x20) != 0 ? 954 : 1210;
    bool bitmap_mode = (dispcnt & 7) >= 3;
    for (uint32_t n = 0; n < 128; ++n) {
        const uint8_t* entry = oam + n * 8;
        uint32_t a0 = load16(entry);
        uint32_t a1 = load16(entry + 2);
        uint32_t a2 = load16(entry + 4);
        bool affine = (a0 & 0x100) != 0;
        if (!affine && (a0 & 0x200) != 0) continue;
        uint32_t shape = a0 >> 14;
        uint32_t mode = (a0 >> 10) & 3;
        if (shape == 3 || mode == 3) continue;
        Sprite s;
        s.width = kSizes[shape][a1 >> 14][0];
        s.height = kSizes[shape][a1 >> 14][1];
        bool double_size = affine && (a0 & 0x200) != 0;
        uint32_t box_w = double_size ? s.width * 2 : s.width;
        uint32_t box_h = double_size ? s.height * 2 : s.height;
        uint32_t row = (line - (a0 & 0xFF)) & 0xFF;
        if (row >= box_h) continue;
        int32_t sx = static_cast<int32_t>(a1 & 0x1FF);
        if (sx >= 256) sx -= 512;
        if (sx >= static_cast<int32_t>(kLineWidth) || sx + static_cast<int32_t>(box_w) <= 0) continue;
        // Rendering costs a cycle per pixel of the box (two for affine ones,
        // plus 10); a sprite starts while the line has cycles left.
        if (budget <= 0) break;
        budget -= affine ? 10 + static_cast<int32_t>(box_w) * 2 : static_cast<int32_t>(box_w);
        int32_t drawn = static_cast<int32_t>(box_w);
        bool mosaic_on = (a0 & 0x1000) != 0;
        if (mosaic_on) {
            // Vertical mosaic blocks run from the top of the screen.
            uint32_t back = line % mosaic_h;
            row = back <= row ? row - back : 0;
        }
        s.tile = a2 & 0x3FF;
        if (bitmap_mode && s.tile < 512) continue; // the lower tiles hold the bitmap
        s.colour256 = (a0 & 0x2000) != 0;
        s.one_dimensional = (dispcnt & 0x40) != 0;
        s.palette_bank = (a2 >> 12) * 16;
        s.min_tile_offset = bitmap_mode ? 0x4000u : 0u;
        if (mode == 1) v.semi_transparent_on_line = true;
        s.attr = static_cast<uint8_t>(((a2 >> 10) & 3) | (mode == 1 ? kObjSemiTransparent : 0) |
                                      (mode == 2 ? kObjWindow : 0));
        int32_t start = sx < 0 ? -sx : 0;
        int32_t end = sx + drawn > static_cast<int32_t>(kLineWidth) ? static_cast<int32_t>(kLineWidth) - sx : drawn;
        if (!affine) {
            uint32_t ty = (a1 & 0x2000) != 0 ? s.height - 1 - row : row;
            bool hflip = (a1 & 0x1000) != 0;
            uint8_t texels[64];
            sprite_row(gba.mem.vram, s, ty, texels);
            for (int32_t i = start; i < end; ++i) {
                uint32_t x = static_cast<uint32_t>(sx + i);
                uint32_t lx = static_cast<uint32_t>(i);
                if (mosaic_on) lx -= (x % mosaic_w) < lx ? x % mosaic_w : lx;
                uint32_t index = texels[hflip ? s.width - 1 - lx : lx];
                if (index != 0 || v.obj[x] != 0) put_pixel(v, gba.mem.palette, s, x, index);
            }
            continue;
        }
        const uint8_t* group = oam + ((a1 >> 9) & 31) * 32;
        int32_t pa = static_cast<int16_t>(load16(group + 6));
        int32_t pb = static_cast<int16_t>(load16(group + 14));
        int32_t pc = static_cast<int16_t>(load16(group + 22));
        int32_t pd = static_cast<int16_t>(load16(group + 30));
        int32_t dy = static_cast<int32_t>(row) - static_cast<int32_t>(box_h / 2);
        int32_t half_w = static_cast<int32_t>(box_w / 2);
        int32_t cx = static_cast<int32_t>(s.width / 2) << 8;
        int32_t cy = static_cast<int32_t>(s.height / 2) << 8;
        for (int32_t i = start; i < end; ++i) {
            uint32_t x = static_cast<uint32_t>(sx + i);
            int32_t lx = i;
            if (mosaic_on) {
                int32_t back = static_cast<int32_t>(x % mosaic_w);
                lx -= back < lx ? back : lx;
            }
            int32_t dx = lx - half_w;
            uint32_t tx = static_cast<uint32_t>((pa * dx + pb * dy + cx) >> 8);
            uint32_t ty = static_cast<uint32_t>((pc * dx + pd * dy + cy) >> 8);
            if (tx >= s.width || ty >= s.height) continue;
            put_pixel(v, gba.mem.palette, s, x, sprite_texel(gba.mem.vram, s, tx, ty));
        }
    }
}

} // namespace emu
