#include "text.h"

#include "font5x7.h"

bt_text_metrics bt_zoom_metrics(int zoom) {
    bt_text_metrics m;
    if (zoom < 0 || zoom >= BT_ZOOM_COUNT) zoom = 0;
    m.scale = zoom + 2;
    m.cell_width = (BT_GLYPH_WIDTH + 1) * m.scale;
    m.row_height = (BT_GLYPH_HEIGHT + 3) * m.scale;
    m.rows = BT_PANEL_HEIGHT / m.row_height;
    return m;
}

int bt_text_width(int n, int scale) { return n <= 0 ? 0 : (n * (BT_GLYPH_WIDTH + 1) - 1) * scale; }

int bt_draw_text(bt_canvas* c, int x, int y, int scale, const char* text, int n, uint32_t colour) {
    int i, row, col;
    for (i = 0; i < n && text[i] != '\0'; ++i) {
        const uint8_t* rows = bt_glyph((unsigned char)text[i]);
        for (row = 0; row < BT_GLYPH_HEIGHT; ++row)
            for (col = 0; col < BT_GLYPH_WIDTH; ++col)
                if (rows[row] >> (BT_GLYPH_WIDTH - 1 - col) & 1)
                    bt_canvas_fill_rect(c, x + col * scale, y + row * scale, scale, scale, colour);
        x += (BT_GLYPH_WIDTH + 1) * scale;
    }
    return x;
}
