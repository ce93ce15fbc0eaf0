#include "rt.h"

/* A 3x5 font of our own: five rows of three bits, the top row in bits 14-12. */
#define G(a, b, c, d, e) (uint16_t)((0##a << 12) | (0##b << 9) | (0##c << 6) | (0##d << 3) | 0##e)
/* Rows written as octal triples: 7 = 111, 5 = 101, 2 = 010, 4 = 100, 1 = 001, 6 = 110, 3 = 011. */
static const uint16_t kDigits[10] = {
    G(7, 5, 5, 5, 7), G(2, 6, 2, 2, 7), G(7, 1, 7, 4, 7), G(7, 1, 7, 1, 7), G(5, 5, 7, 1, 1),
    G(7, 4, 7, 1, 7), G(7, 4, 7, 5, 7), G(7, 1, 1, 1, 1), G(7, 5, 7, 5, 7), G(7, 5, 7, 1, 7),
};
static const uint16_t kLetters[26] = {
    G(2, 5, 7, 5, 5), G(6, 5, 6, 5, 6), G(3, 4, 4, 4, 3), G(6, 5, 5, 5, 6), G(7, 4, 6, 4, 7), G(7, 4, 6, 4, 4),
    G(3, 4, 5, 5, 3), G(5, 5, 7, 5, 5), G(7, 2, 2, 2, 7), G(1, 1, 1, 5, 2), G(5, 5, 6, 5, 5), G(4, 4, 4, 4, 7),
    G(5, 7, 7, 5, 5), G(6, 5, 5, 5, 5), G(2, 5, 5, 5, 2), G(6, 5, 6, 4, 4), G(2, 5, 5, 6, 3), G(6, 5, 6, 5, 5),
    G(3, 4, 2, 1, 6), G(7, 2, 2, 2, 2), G(5, 5, 5, 5, 7), G(5, 5, 5, 5, 2), G(5, 5, 7, 7, 5), G(5, 5, 2, 5, 5),
    G(5, 5, 2, 2, 2), G(7, 1, 2, 4, 7),
};

static uint16_t glyph(char c) {
    if (c >= '0' && c <= '9') return kDigits[c - '0'];
    if (c >= 'A' && c <= 'Z') return kLetters[c - 'A'];
    if (c >= 'a' && c <= 'z') return kLetters[c - 'a'];
    switch (c) {
    case ':': return G(0, 2, 0, 2, 0);
    case '-': return G(0, 0, 7, 0, 0);
    case '=': return G(0, 7, 0, 7, 0);
    case '.': return G(0, 0, 0, 0, 2);
    case '/': return G(1, 1, 2, 4, 4);
    case '!': return G(2, 2, 2, 0, 2);
    case '?': return G(7, 1, 2, 0, 2);
    case '_': return G(0, 0, 0, 0, 7);
    default: return 0;
    }
}

void rt_screen_init(void) {
    REG_DISPCNT = 0x0403; /* mode 3, background 2 */
    for (int i = 0; i < 240 * 160; ++i) VRAM[i] = 0;
}

static void draw_char(int column, int row, char c, uint16_t colour) {
    if (column < 0 || column >= RT_COLUMNS || row < 0 || row >= RT_ROWS) return;
    uint16_t bits = glyph(c);
    volatile uint16_t* cell = VRAM + (row * 6 + 2) * 240 + column * 4;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) cell[y * 240 + x] = (bits >> (14 - y * 3 - x)) & 1 ? colour : 0;
}

void rt_text(int column, int row, const char* text, uint16_t colour) {
    for (; *text; ++text, ++column) draw_char(column, row, *text, colour);
}

void rt_hex(int column, int row, uint32_t value, int digits, uint16_t colour) {
    for (int i = digits - 1; i >= 0; --i, ++column) {
        uint32_t nibble = (value >> (i * 4)) & 0xF;
        draw_char(column, row, (char)(nibble < 10 ? '0' + nibble : 'A' + nibble - 10), colour);
    }
}

void rt_dec(int column, int row, uint32_t value, uint16_t colour) {
    char text[11];
    int n = 10;
    text[n] = 0;
    do {
        text[--n] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0 && n > 0);
    rt_text(column, row, text + n, colour);
}
