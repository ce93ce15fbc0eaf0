// The backgrounds: text (tiled, scrolling) layers, affine layers and the
// bitmap layer of modes 3-5, one line at a time into a layer buffer.
#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace emu {

namespace {

constexpr uint32_t kBgVramEnd = 0x10000; // backgrounds cannot fetch from the sprite area

uint16_t colour_at(const uint8_t* palette, uint32_t index) {
    return static_cast<uint16_t>((load16(palette + index * 2) & 0x7FFF) | kOpaque);
}

void clear8(uint16_t* out) {
    for (uint32_t i = 0; i < 8; ++i) out[i] = 0;
}

// Eight pixels of a text tile row into out, honouring the flips.
void text_tile_row(const Gba& gba, uint32_t entry, uint32_t char_base, bool colour256, uint32_t row, uint16_t* out) {
    const uint8_t* vram = gba.mem.vram;
    const uint8_t* palette = gba.mem.palette;
    uint32_t tile = entry & 0x3FF;
    if ((entry & 0x800) != 0) row = 7 - row;
    bool hflip = (entry & 0x400) != 0;
    if (colour256) {
        uint32_t address = char_base + tile * 64 + row * 8;
        if (address + 8 > kBgVramEnd || (load32(vram + address) | load32(vram + address + 4)) == 0) {
            clear8(out);
            return;
        }
        const uint8_t* p = vram + address;
        for (uint32_t i = 0; i < 8; ++i) {
            uint32_t index = p[hflip ? 7 - i : i];
            out[i] = index != 0 ? colour_at(palette, index) : uint16_t{0};
        }
        return;
    }
    uint32_t address = char_base + tile * 32 + row * 4;
    uint32_t bits = address + 4 <= kBgVramEnd ? load32(vram + address) : 0u;
    if (bits == 0) {
        clear8(out);
        return;
    }
    const uint8_t* bank = palette + (entry >> 12) * 32;
    if (hflip) {
        for (uint32_t i = 8; i-- > 0; bits >>= 4) {
            uint32_t index = bits & 0xF;
            out[i] = index != 0 ? colour_at(bank, index) : uint16_t{0};
        }
        return;
    }
    for (uint32_t i = 0; i < 8; ++i, bits >>= 4) {
        uint32_t index = bits & 0xF;
        out[i] = index != 0 ? colour_at(bank, index) : uint16_t{0};
    }
}

} // namespace

void video_text_line(const Gba& gba, uint32_t bg, uint32_t line, uint16_t* out) {
    const uint8_t* io = gba.mem.io;
    uint32_t cnt = load16(io + 0x08 + bg * 2);
    uint32_t hofs = load16(io + 0x10 + bg * 4) & 0x1FF;
    uint32_t vofs = load16(io + 0x12 + bg * 4) & 0x1FF;
    uint32_t size = cnt >> 14;
    uint32_t char_base = ((cnt >> 2) & 3) * 0x4000;
    uint32_t map_base = ((cnt >> 8) & 31) * 0x800;
    bool colour256 = (cnt & 0x80) != 0;
    uint32_t y = (line + vofs) & ((size & 2) != 0 ? 511u : 255u);
    uint32_t row_base = map_base + ((y >> 3) & 31) * 64;
    if (y >= 256) row_base += (size == 3) ? 0x1000u : 0x800u;
    uint16_t tmp[kLineWidth + 16];
    uint32_t x = hofs & ~7u;
    uint32_t width_mask = (size & 1) != 0 ? 511u : 255u;
    for (uint32_t i = 0; i < kLineWidth + 8; i += 8, x += 8) {
        uint32_t tx = x & width_mask;
        uint32_t address = row_base + ((tx >> 3) & 31) * 2 + (tx >= 256 ? 0x800u : 0u);
        uint32_t entry = address + 2 <= kBgVramEnd ? load16(gba.mem.vram + address) : 0u;
        text_tile_row(gba, entry, char_base, colour256, y & 7, tmp + i);
    }
    __builtin_memcpy(out, tmp + (hofs & 7), kLineWidth * sizeof(uint16_t));
}

void video_affine_line(const Gba& gba, uint32_t bg, int32_t x, int32_t y, uint16_t* out) {
    const uint8_t* io = gba.mem.io;
    const uint8_t* vram = gba.mem.vram;
    uint32_t cnt = load16(io + 0x08 + bg * 2);
    uint32_t base = bg == 2 ? 0x20u : 0x30u;
    int32_t pa = static_cast<int16_t>(load16(io + base));
    int32_t pc = static_cast<int16_t>(load16(io + base + 4));
    uint32_t shift = 7 + (cnt >> 14); // log2 of the size in pixels
    uint32_t size = 1u << shift;
    uint32_t mask = size - 1;
    bool wrap = (cnt & 0x2000) != 0;
    uint32_t char_base = ((cnt >> 2) & 3) * 0x4000;
    uint32_t map_base = ((cnt >> 8) & 31) * 0x800;
    // A tile's pixel is always inside the background area (char_base +
    // 255 * 64 + 63 < kBgVramEnd); the map may reach past it.
    const uint8_t* palette = gba.mem.palette;
    const bool map_inside = map_base + (size >> 3) * (size >> 3) <= kBgVramEnd;
    const uint32_t row_shift = shift - 3; // log2 of the map's tiles per row
    // Neighbouring pixels mostly share a tile: its map entry is read again
    // only when the tile changes.
    uint32_t last_tile = ~0u;
    uint32_t tile_base = 0;
    auto pixel = [&](uint32_t px, uint32_t py) -> uint16_t {
        const uint32_t tile_key = (py >> 3) << 16 | (px >> 3);
        if (tile_key != last_tile) {
            last_tile = tile_key;
            uint32_t map_address = map_base + ((py >> 3) << row_shift) + (px >> 3);
            uint32_t tile = map_inside || map_address < kBgVramEnd ? vram[map_address] : 0u;
            tile_base = char_base + tile * 64;
        }
        uint32_t index = vram[tile_base + (py & 7) * 8 + (px & 7)];
        return index != 0 ? colour_at(palette, index) : uint16_t{0};
    };
    if (wrap) {
        for (uint32_t i = 0; i < kLineWidth; ++i, x += pa, y += pc) {
            out[i] = pixel(static_cast<uint32_t>(x >> 8) & mask, static_cast<uint32_t>(y >> 8) & mask);
        }
        return;
    }
    for (uint32_t i = 0; i < kLineWidth; ++i, x += pa, y += pc) {
        uint32_t px = static_cast<uint32_t>(x >> 8);
        uint32_t py = static_cast<uint32_t>(y >> 8);
        out[i] = px < size && py < size ? pixel(px, py) : uint16_t{0};
    }
}

void video_bitmap_line(const Gba& gba, uint32_t mode, int32_t x, int32_t y, uint16_t* out) {
    const uint8_t* io = gba.mem.io;
    const uint8_t* vram = gba.mem.vram;
    int32_t pa = static_cast<int16_t>(load16(io + 0x20));
    int32_t pc = static_cast<int16_t>(load16(io + 0x24));
    uint32_t page = (mode != 3 && (load16(io) & 0x10) != 0) ? 0xA000u : 0u;
    uint32_t width = mode == 5 ? 160u : kLineWidth;
    uint32_t height = mode == 5 ? 128u : 160u;
    if (pa == 0x100 && pc == 0 && x >= 0 && static_cast<uint32_t>(y >> 8) < height) {
        // Not rotated or scaled (the usual case): one row, pixel after pixel.
        uint32_t px = static_cast<uint32_t>(x >> 8);
        uint32_t shown = px < width ? width - px : 0;
        if (shown > kLineWidth) shown = kLineWidth;
        uint32_t row = page + static_cast<uint32_t>(y >> 8) * width + px;
        if (mode == 4) {
            const uint8_t* src = vram + row;
            for (uint32_t i = 0; i < shown; ++i) {
                uint32_t index = src[i];
                out[i] = index != 0 ? colour_at(gba.mem.palette, index) : uint16_t{0};
            }
        } else {
            const uint8_t* src = vram + row * 2;
            for (uint32_t i = 0; i < shown; ++i) out[i] = static_cast<uint16_t>(load16(src + i * 2) | kOpaque);
        }
        for (uint32_t i = shown; i < kLineWidth; ++i) out[i] = 0;
        return;
    }
    for (uint32_t i = 0; i < kLineWidth; ++i, x += pa, y += pc) {
        uint32_t px = static_cast<uint32_t>(x >> 8);
        uint32_t py = static_cast<uint32_t>(y >> 8);
        if (px >= width || py >= height) {
            out[i] = 0;
            continue;
        }
        uint32_t pixel = py * width + px;
        if (mode == 4) {
            uint32_t index = vram[page + pixel];
            out[i] = index != 0 ? colour_at(gba.mem.palette, index) : uint16_t{0};
        } else {
            out[i] = static_cast<uint16_t>((load16(vram + page + pixel * 2) & 0x7FFF) | kOpaque);
        }
    }
}

void video_mosaic_line(uint16_t* line, uint32_t size) {
    if (size <= 1) return;
    for (uint32_t x = 0; x < kLineWidth; x += size) {
        uint16_t c = line[x];
        uint32_t end = x + size < kLineWidth ? x + size : kLineWidth;
        for (uint32_t i = x + 1; i < end; ++i) line[i] = c;
    }
}

} // namespace emu
