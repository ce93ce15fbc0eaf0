/* Lettering: text drawn with the 5 x 7 font at a whole-pixel scale, and the
   menu's row metrics for each zoom setting.

   zoom 0, normal: every font pixel is 2 x 2 screen pixels (12 x 18 cell);
   zoom 1, medium: 3 x 3 (18 x 27 cell);
   zoom 2, full:   4 x 4 (24 x 36 cell), the largest that still fits a
                   whole menu row ("001 " and an 11-character title). */
#ifndef BOOT_TEXT_H
#define BOOT_TEXT_H

#include "canvas.h"

#define BT_ZOOM_COUNT 3

typedef struct {
    int scale;      /* screen pixels per font pixel */
    int cell_width; /* advance per character */
    int row_height; /* distance between menu rows */
    int rows;       /* menu rows that fit the menu panel */
} bt_text_metrics;

/* The menu panel, inside the frame the skins draw (below their title): the
   rows are laid out in it. */
#define BT_PANEL_X 64
#define BT_PANEL_Y 124
#define BT_PANEL_WIDTH 512
#define BT_PANEL_HEIGHT 292

/* Metrics of zoom 0..2; other values are taken as 0. */
bt_text_metrics bt_zoom_metrics(int zoom);

/* Width in pixels of n characters at the scale (no trailing gap). */
int bt_text_width(int n, int scale);

/* Draws up to n bytes of text (stopping at a NUL) with the top-left corner
   at (x, y); returns the x after the last character. */
int bt_draw_text(bt_canvas* c, int x, int y, int scale, const char* text, int n, uint32_t colour);

#endif
