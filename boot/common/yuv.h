/* The video interface's framebuffer format: one 32-bit word per two
   pixels, Y0 Cb Y1 Cr, BT.601 studio range (Y 16..235, chroma centred on
   128), the chroma averaged over the pair. */
#ifndef BOOT_YUV_H
#define BOOT_YUV_H

#include <stdint.h>

#include "canvas.h"

uint32_t bt_yuv_pair(uint32_t left_rgb, uint32_t right_rgb);

/* Converts the canvas (even width) into width / 2 words a line. */
void bt_yuv_from_canvas(const bt_canvas* src, uint32_t* words);

/* Back to RGB, as a display shows the pair: used to predict a frame. */
void bt_rgb_from_yuv_pair(uint32_t word, uint32_t* left_rgb, uint32_t* right_rgb);

#endif
