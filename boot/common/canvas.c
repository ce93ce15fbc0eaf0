#include "canvas.h"

static int clip(int* x, int* y, int* w, int* h, const bt_canvas* c) {
    if (*x < 0) {
        *w += *x;
        *x = 0;
    }
    if (*y < 0) {
        *h += *y;
        *y = 0;
    }
    if (*x + *w > c->width) *w = c->width - *x;
    if (*y + *h > c->height) *h = c->height - *y;
    return *w > 0 && *h > 0;
}

void bt_canvas_fill(bt_canvas* c, uint32_t colour) { bt_canvas_fill_rect(c, 0, 0, c->width, c->height, colour); }

void bt_canvas_fill_rect(bt_canvas* c, int x, int y, int w, int h, uint32_t colour) {
    int row, col;
    if (!clip(&x, &y, &w, &h, c)) return;
    for (row = y; row < y + h; ++row) {
        uint32_t* line = c->px + row * c->width;
        for (col = x; col < x + w; ++col) line[col] = colour;
    }
}

static uint32_t mix_channel(uint32_t from, uint32_t to, uint32_t amount) {
    return (from * (256u - amount) + to * amount) >> 8;
}

void bt_canvas_tint_rect(bt_canvas* c, int x, int y, int w, int h, uint32_t colour, int amount) {
    int row, col;
    const uint32_t a = amount < 0 ? 0u : amount > 256 ? 256u : (uint32_t)amount;
    if (!clip(&x, &y, &w, &h, c)) return;
    for (row = y; row < y + h; ++row) {
        uint32_t* line = c->px + row * c->width;
        for (col = x; col < x + w; ++col) {
            const uint32_t p = line[col];
            line[col] = mix_channel(p >> 16 & 0xFF, colour >> 16 & 0xFF, a) << 16 |
                        mix_channel(p >> 8 & 0xFF, colour >> 8 & 0xFF, a) << 8 |
                        mix_channel(p & 0xFF, colour & 0xFF, a);
        }
    }
}

void bt_canvas_copy(bt_canvas* dst, const bt_canvas* src) {
    const int n = dst->width * dst->height;
    int i;
    for (i = 0; i < n; ++i) dst->px[i] = src->px[i];
}
