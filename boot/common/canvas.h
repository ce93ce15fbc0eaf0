/* A 32-bit RGB picture (0x00RRGGBB per pixel, row-major) that the program
   draws a frame into before converting it for the video interface. */
#ifndef BOOT_CANVAS_H
#define BOOT_CANVAS_H

#include <stdint.h>

typedef struct {
    uint32_t* px;
    int width;
    int height;
} bt_canvas;

#define BT_RGB(r, g, b) ((uint32_t)(r) << 16 | (uint32_t)(g) << 8 | (uint32_t)(b))

void bt_canvas_fill(bt_canvas* c, uint32_t colour);
/* Rectangles are clipped to the canvas. */
void bt_canvas_fill_rect(bt_canvas* c, int x, int y, int w, int h, uint32_t colour);
/* Mixes colour into the rectangle: amount 0 (none) .. 256 (opaque). */
void bt_canvas_tint_rect(bt_canvas* c, int x, int y, int w, int h, uint32_t colour, int amount);
/* Copies src into dst; both must have the same size. */
void bt_canvas_copy(bt_canvas* dst, const bt_canvas* src);

#endif
