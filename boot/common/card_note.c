/* The memory card's notice box. */
#include "card_note.h"

#include "text.h"

#define PAD 16
#define LINE_STEP 20
#define GLYPH_HEIGHT 14 /* 7 font rows at scale 2 */

static int text_length(const char* text) {
    int n = 0;
    while (text[n] != '\0') ++n;
    return n;
}

int card_note_lines(const char* text, int max_chars, card_note_line* lines, int max_lines) {
    const int total = text_length(text);
    int at = 0, count = 0;
    if (max_chars < 1) return 0;
    while (at < total && count < max_lines) {
        int end = at, cut = -1, next;
        while (text[at] == ' ') ++at; /* no line starts with a space */
        if (at >= total) break;
        for (end = at; end < total && end - at < max_chars; ++end) {
            if (text[end] == ':' && text[end + 1] == ' ') {
                cut = end + 1;
                break;
            }
            if (text[end] == ' ') cut = end;
        }
        if (cut >= 0 && text[cut - 1] == ':') next = cut; /* after ": " */
        else if (end >= total) cut = next = total;
        else if (text[end] == ' ') cut = next = end; /* the line ends just before a space */
        else if (cut > at) next = cut;
        else cut = next = end;                          /* one long word: cut it */
        while (cut > at && text[cut - 1] == ' ') --cut; /* nor ends with one */
        lines[count].start = at;
        lines[count].length = cut - at;
        ++count;
        at = next;
    }
    return count;
}

void card_note_draw(bt_canvas* box, const char* text) {
    const uint32_t ink = BT_RGB(255, 214, 90), paper = BT_RGB(40, 12, 12);
    const int cell = bt_text_width(1, CARD_NOTE_SCALE) + CARD_NOTE_SCALE;
    card_note_line lines[CARD_NOTE_MAX_LINES];
    const int n = card_note_lines(text, (box->width - 2 * PAD) / cell, lines, CARD_NOTE_MAX_LINES);
    int i, y = (box->height - ((n - 1) * LINE_STEP + GLYPH_HEIGHT)) / 2;
    bt_canvas_fill(box, paper);
    bt_canvas_fill_rect(box, 0, 0, box->width, 2, ink);
    bt_canvas_fill_rect(box, 0, box->height - 2, box->width, 2, ink);
    for (i = 0; i < n; ++i, y += LINE_STEP) {
        const int width = bt_text_width(lines[i].length, CARD_NOTE_SCALE);
        bt_draw_text(box, (box->width - width) / 2, y, CARD_NOTE_SCALE, text + lines[i].start, lines[i].length,
                     BT_RGB(255, 255, 255));
    }
}
