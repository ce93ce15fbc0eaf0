#include "yuv.h"

static int luma(int r, int g, int b) { return ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16; }

uint32_t bt_yuv_pair(uint32_t left_rgb, uint32_t right_rgb) {
    const int r0 = (int)(left_rgb >> 16 & 0xFF), g0 = (int)(left_rgb >> 8 & 0xFF), b0 = (int)(left_rgb & 0xFF);
    const int r1 = (int)(right_rgb >> 16 & 0xFF), g1 = (int)(right_rgb >> 8 & 0xFF), b1 = (int)(right_rgb & 0xFF);
    const int r = r0 + r1, g = g0 + g1, b = b0 + b1; /* sums of the pair */
    const int cb = ((-38 * r - 74 * g + 112 * b + 256) >> 9) + 128;
    const int cr = ((112 * r - 94 * g - 18 * b + 256) >> 9) + 128;
    return (uint32_t)luma(r0, g0, b0) << 24 | (uint32_t)cb << 16 | (uint32_t)luma(r1, g1, b1) << 8 | (uint32_t)cr;
}

void bt_yuv_from_canvas(const bt_canvas* src, uint32_t* words) {
    const int n = src->width * src->height;
    int i;
    for (i = 0; i < n; i += 2) *words++ = bt_yuv_pair(src->px[i], src->px[i + 1]);
}

static uint32_t clamp8(int v) { return v < 0 ? 0u : v > 255 ? 255u : (uint32_t)v; }

static uint32_t to_rgb(int y, int cb, int cr) {
    const int c = 298 * (y - 16), d = cb - 128, e = cr - 128;
    return clamp8((c + 409 * e + 128) >> 8) << 16 | clamp8((c - 100 * d - 208 * e + 128) >> 8) << 8 |
           clamp8((c + 516 * d + 128) >> 8);
}

void bt_rgb_from_yuv_pair(uint32_t word, uint32_t* left_rgb, uint32_t* right_rgb) {
    const int cb = (int)(word >> 16 & 0xFF), cr = (int)(word & 0xFF);
    *left_rgb = to_rgb((int)(word >> 24), cb, cr);
    *right_rgb = to_rgb((int)(word >> 8 & 0xFF), cb, cr);
}
