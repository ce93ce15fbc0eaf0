/* Reading a TPL texture file: the header found through its pointers
   (image table at word 0x08, image header at the table's first word) and
   the RGB565 and CMPR pixel formats, decoded onto a canvas. */
#ifndef BOOT_TPL_H
#define BOOT_TPL_H

#include <stdint.h>

#include "canvas.h"

#define BT_TPL_MAGIC 0x0020AF30u
#define BT_TPL_RGB565 4u
#define BT_TPL_CMPR 14u
#define BT_TPL_MAX_SIDE 1024u

enum {
    BT_TPL_OK = 0,
    BT_TPL_TOO_SHORT,
    BT_TPL_BAD_MAGIC,
    BT_TPL_NO_IMAGE,
    BT_TPL_BAD_OFFSET,
    BT_TPL_BAD_SIZE,
    BT_TPL_BAD_FORMAT
};

typedef struct {
    uint32_t width;
    uint32_t height;
    uint32_t format;
    uint32_t data_offset;
    uint32_t data_size;
} bt_tpl_image;

/* Checks the header and that the pixel data lies inside the file. */
int bt_tpl_parse(const uint8_t* file, uint32_t size, bt_tpl_image* out);

/* Draws the first image with its top-left corner at (x, y), clipped. */
int bt_tpl_draw(const uint8_t* file, uint32_t size, bt_canvas* dst, int x, int y);

/* Draws it centred on the canvas; the rest of the canvas is left alone. */
int bt_tpl_draw_centred(const uint8_t* file, uint32_t size, bt_canvas* dst);

/* RGB565 widened to 8 bits a channel by bit replication. */
uint32_t bt_rgb565_to_rgb(uint16_t c);

#endif
