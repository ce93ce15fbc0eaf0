/* The handheld's picture on the console's screen: placement for each zoom,
   the nearest-neighbour column and row maps, and the conversion of its
   15-bit colours into the video interface's pairs. */
#include "play.h"
#include "yuv.h"

#define SCREEN_W 640
#define SCREEN_H 480
#define WORDS_PER_LINE (SCREEN_W / 2)

bt_rect bt_play_rect(int zoom) {
    bt_rect r;
    if (zoom == 2) {
        r.width = SCREEN_W;
        r.height = SCREEN_H;
    } else if (zoom == 1) { /* the whole width, the height as the shape says (rounded) */
        r.width = SCREEN_W;
        r.height = (SCREEN_W * BT_GAME_HEIGHT + BT_GAME_WIDTH / 2) / BT_GAME_WIDTH;
    } else {
        r.width = 2 * BT_GAME_WIDTH;
        r.height = 2 * BT_GAME_HEIGHT;
    }
    r.x = (SCREEN_W - r.width) / 2 & ~1; /* whole pairs */
    r.y = (SCREEN_H - r.height) / 2;
    return r;
}

void bt_play_columns(const bt_rect* r, uint8_t* columns) {
    int x;
    for (x = 0; x < r->width; ++x) columns[x] = (uint8_t)(x * BT_GAME_WIDTH / r->width);
}

int bt_play_source_row(const bt_rect* r, int y) { return y * BT_GAME_HEIGHT / r->height; }

static uint32_t widen(uint32_t c) { return c << 3 | c >> 2; }

void bt_play_colour_table(uint32_t* table) {
    uint32_t c;
    for (c = 0; c < BT_COLOUR_COUNT; ++c) {
        const uint32_t rgb = BT_RGB(widen(c & 31u), widen(c >> 5 & 31u), widen(c >> 10 & 31u));
        table[c] = bt_yuv_pair(rgb, rgb);
    }
}

uint32_t bt_play_pair(const uint32_t* table, uint16_t left, uint16_t right) {
    const uint32_t a = table[left & 0x7FFFu], b = table[right & 0x7FFFu];
    if (a == b) return a;
    /* Cb and Cr sit 16 bits apart: both averages in one sum. */
    return (a & 0xFF000000u) | (b & 0x0000FF00u) | (((a & 0x00FF00FFu) + (b & 0x00FF00FFu)) >> 1 & 0x00FF00FFu);
}

void bt_play_draw(const uint16_t* frame, const bt_rect* r, const uint8_t* columns, const uint32_t* table,
                  uint32_t* words) {
    const int pairs = r->width / 2;
    int y = 0, i;
    uint32_t* row = words + r->y * WORDS_PER_LINE + r->x / 2;
    while (y < r->height) {
        /* The screen rows showing the same handheld row (two or three):
           each pair is worked out once and stored in all of them. */
        const int source = bt_play_source_row(r, y);
        const uint16_t* line = frame + source * BT_GAME_WIDTH;
        const uint8_t* col = columns;
        int rows = 1;
        while (y + rows < r->height && bt_play_source_row(r, y + rows) == source) ++rows;
        if (rows == 2) {
            for (i = 0; i < pairs; ++i, col += 2)
                row[i] = row[i + WORDS_PER_LINE] = bt_play_pair(table, line[col[0]], line[col[1]]);
        } else if (rows == 3) {
            for (i = 0; i < pairs; ++i, col += 2)
                row[i] = row[i + WORDS_PER_LINE] = row[i + 2 * WORDS_PER_LINE] =
                    bt_play_pair(table, line[col[0]], line[col[1]]);
        } else {
            int k;
            for (i = 0; i < pairs; ++i, col += 2) {
                const uint32_t word = bt_play_pair(table, line[col[0]], line[col[1]]);
                for (k = 0; k < rows; ++k) row[i + k * WORDS_PER_LINE] = word;
            }
        }
        y += rows;
        row += rows * WORDS_PER_LINE;
    }
}

void bt_words_fill(uint32_t* words, int x, int y, int width, int height, uint32_t rgb) {
    const uint32_t word = bt_yuv_pair(rgb, rgb);
    int row, i;
    for (row = y; row < y + height; ++row) {
        if (row < 0 || row >= SCREEN_H) continue;
        for (i = x / 2; i < (x + width) / 2; ++i)
            if (i >= 0 && i < WORDS_PER_LINE) words[row * WORDS_PER_LINE + i] = word;
    }
}

void bt_words_blit(uint32_t* words, const bt_canvas* src, int x, int y) {
    int row, i;
    for (row = 0; row < src->height; ++row) {
        const uint32_t* px = src->px + row * src->width;
        if (y + row < 0 || y + row >= SCREEN_H) continue;
        for (i = 0; i + 1 < src->width; i += 2) {
            const int word = (x + i) / 2;
            if (word >= 0 && word < WORDS_PER_LINE)
                words[(y + row) * WORDS_PER_LINE + word] = bt_yuv_pair(px[i], px[i + 1]);
        }
    }
}
