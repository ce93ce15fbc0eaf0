/* The memory card's notice: a box at the foot of the screen that says, in
   a line or three, why the game's progress will not be kept. */
#ifndef BOOT_CARD_NOTE_H
#define BOOT_CARD_NOTE_H

#include "canvas.h"

#define CARD_NOTE_X 16
#define CARD_NOTE_Y 400
#define CARD_NOTE_WIDTH 608
#define CARD_NOTE_HEIGHT 72
#define CARD_NOTE_SCALE 2
#define CARD_NOTE_MAX_LINES 3

typedef struct card_note_line {
    int start;
    int length;
} card_note_line;

/* Splits text into lines of at most max_chars: after ": " always, else at
   the last space that fits (a word longer than a line is cut). Returns the
   number of lines (at most max_lines; text beyond them is dropped). */
int card_note_lines(const char* text, int max_chars, card_note_line* lines, int max_lines);

/* Draws the notice into box (CARD_NOTE_WIDTH x CARD_NOTE_HEIGHT). */
void card_note_draw(bt_canvas* box, const char* text);

#endif
