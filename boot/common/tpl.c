#include "tpl.h"

#include "bytes.h"

uint32_t bt_rgb565_to_rgb(uint16_t c) {
    const uint32_t r = (uint32_t)c >> 11, g = (uint32_t)c >> 5 & 63u, b = (uint32_t)c & 31u;
    return BT_RGB(r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2);
}

int bt_tpl_parse(const uint8_t* file, uint32_t size, bt_tpl_image* out) {
    uint32_t table, header, tiles_x, tiles_y;
    if (size < 0x0C) return BT_TPL_TOO_SHORT;
    if (bt_be32(file) != BT_TPL_MAGIC) return BT_TPL_BAD_MAGIC;
    if (bt_be32(file + 4) == 0) return BT_TPL_NO_IMAGE;
    table = bt_be32(file + 8);
    if (table > size || size - table < 8) return BT_TPL_BAD_OFFSET;
    header = bt_be32(file + table);
    if (header > size || size - header < 12) return BT_TPL_BAD_OFFSET;
    out->height = bt_be16(file + header);
    out->width = bt_be16(file + header + 2);
    out->format = bt_be32(file + header + 4);
    out->data_offset = bt_be32(file + header + 8);
    if (out->width == 0 || out->height == 0 || out->width > BT_TPL_MAX_SIDE || out->height > BT_TPL_MAX_SIDE)
        return BT_TPL_BAD_SIZE;
    if (out->format == BT_TPL_RGB565) {
        tiles_x = (out->width + 3) / 4;
        tiles_y = (out->height + 3) / 4;
        out->data_size = tiles_x * tiles_y * 32u;
    } else if (out->format == BT_TPL_CMPR) {
        tiles_x = (out->width + 7) / 8;
        tiles_y = (out->height + 7) / 8;
        out->data_size = tiles_x * tiles_y * 32u;
    } else {
        return BT_TPL_BAD_FORMAT;
    }
    if (out->data_offset > size || size - out->data_offset < out->data_size) return BT_TPL_BAD_SIZE;
    return BT_TPL_OK;
}

typedef struct {
    bt_canvas* dst;
    int x, y;      /* where the image's top-left pixel goes */
    uint32_t w, h; /* image size: tile padding beyond it is not drawn */
} placement;

static void put(const placement* p, uint32_t ix, uint32_t iy, uint32_t colour) {
    int cx, cy;
    if (ix >= p->w || iy >= p->h) return;
    cx = p->x + (int)ix;
    cy = p->y + (int)iy;
    if (cx < 0 || cy < 0 || cx >= p->dst->width || cy >= p->dst->height) return;
    p->dst->px[cy * p->dst->width + cx] = colour;
}

static void draw_rgb565(const uint8_t* data, const placement* p) {
    uint32_t tx, ty, x, y;
    for (ty = 0; ty < p->h; ty += 4)
        for (tx = 0; tx < p->w; tx += 4)
            for (y = 0; y < 4; ++y)
                for (x = 0; x < 4; ++x) {
                    put(p, tx + x, ty + y, bt_rgb565_to_rgb(bt_be16(data)));
                    data += 2;
                }
}

static uint32_t blend_thirds(uint32_t a, uint32_t b) { /* (2a + b) / 3 per channel */
    uint32_t out = 0;
    int shift;
    for (shift = 16; shift >= 0; shift -= 8) out |= ((2u * (a >> shift & 0xFF) + (b >> shift & 0xFF)) / 3u) << shift;
    return out;
}

static uint32_t blend_half(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    int shift;
    for (shift = 16; shift >= 0; shift -= 8) out |= (((a >> shift & 0xFF) + (b >> shift & 0xFF)) / 2u) << shift;
    return out;
}

/* One 8-byte block: two RGB565 end colours and 2-bit indices, the first
   pixel in the top bits. With c0 <= c1 the fourth entry is transparent and
   drawn as black. */
static void draw_cmpr_block(const uint8_t* block, const placement* p, uint32_t bx, uint32_t by) {
    const uint16_t c0 = bt_be16(block), c1 = bt_be16(block + 2);
    uint32_t palette[4], x, y;
    palette[0] = bt_rgb565_to_rgb(c0);
    palette[1] = bt_rgb565_to_rgb(c1);
    if (c0 > c1) {
        palette[2] = blend_thirds(palette[0], palette[1]);
        palette[3] = blend_thirds(palette[1], palette[0]);
    } else {
        palette[2] = blend_half(palette[0], palette[1]);
        palette[3] = 0;
    }
    for (y = 0; y < 4; ++y)
        for (x = 0; x < 4; ++x) put(p, bx + x, by + y, palette[block[4 + y] >> (6 - 2 * x) & 3u]);
}

static void draw_cmpr(const uint8_t* data, const placement* p) {
    uint32_t tx, ty, sub;
    for (ty = 0; ty < p->h; ty += 8)
        for (tx = 0; tx < p->w; tx += 8)
            for (sub = 0; sub < 4; ++sub) {
                draw_cmpr_block(data, p, tx + (sub & 1u) * 4u, ty + (sub >> 1) * 4u);
                data += 8;
            }
}

int bt_tpl_draw(const uint8_t* file, uint32_t size, bt_canvas* dst, int x, int y) {
    bt_tpl_image img;
    placement p;
    const int status = bt_tpl_parse(file, size, &img);
    if (status != BT_TPL_OK) return status;
    p.dst = dst;
    p.x = x;
    p.y = y;
    p.w = img.width;
    p.h = img.height;
    if (img.format == BT_TPL_RGB565) draw_rgb565(file + img.data_offset, &p);
    else draw_cmpr(file + img.data_offset, &p);
    return BT_TPL_OK;
}

int bt_tpl_draw_centred(const uint8_t* file, uint32_t size, bt_canvas* dst) {
    bt_tpl_image img;
    const int status = bt_tpl_parse(file, size, &img);
    if (status != BT_TPL_OK) return status;
    return bt_tpl_draw(file, size, dst, (dst->width - (int)img.width) / 2, (dst->height - (int)img.height) / 2);
}
