/* Drawing the pages over the background: the menu rows with the cursor
   bar, a game's details, and a message. */
#include "app.h"
#include "bytes.h"
#include "menu_table.h"
#include "text.h"

#define TEXT_COLOUR BT_RGB(255, 255, 255)
#define DIM_COLOUR BT_RGB(176, 196, 232)
#define CURSOR_COLOUR BT_RGB(255, 214, 90)
#define CURSOR_TEXT BT_RGB(24, 24, 48)
#define SHADE_COLOUR BT_RGB(6, 8, 24)
#define SHADE_AMOUNT 176
#define SMALL 2 /* scale of the header, footer and details lettering */
#define LINE (9 * SMALL)
#define COLUMNS ((BT_PANEL_WIDTH - 16) / ((5 + 1) * SMALL))
#define HEADER_Y 96 /* between the skins' title and their frame */
#define FOOTER_Y 430

static void draw(bt_canvas* c, int x, int y, const char* text, uint32_t colour) {
    bt_draw_text(c, x, y, SMALL, text, 1 << 20, colour);
}

static void draw_header(const bt_app* app, bt_canvas* c) {
    char text[32] = "GAMES: ";
    bt_canvas_tint_rect(c, BT_PANEL_X - 8, HEADER_Y - 6, BT_PANEL_WIDTH + 16, LINE + 10, SHADE_COLOUR, SHADE_AMOUNT);
    bt_format_uint(text + 7, (uint32_t)app->menu.count);
    draw(c, BT_PANEL_X, HEADER_Y, text, TEXT_COLOUR);
    if (app->menu.count > 0) {
        bt_format_padded(text, (uint32_t)app->menu.cursor + 1u, 3);
        text[3] = '/';
        bt_format_padded(text + 4, (uint32_t)app->menu.count, 3);
        draw(c, BT_PANEL_X + BT_PANEL_WIDTH - bt_text_width(7, SMALL), HEADER_Y, text, TEXT_COLOUR);
    }
}

static void draw_footer(const bt_app* app, bt_canvas* c) {
    const char* status = !app->pad_present                ? "NO CONTROLLER IN PORT 1"
                         : app->menu.page != BT_PAGE_MENU ? "B: BACK TO THE MENU"
                         : app->menu.count > 0            ? "UP/DOWN: CHOOSE  A: PLAY  Y: DETAILS"
                                                          : "";
    bt_canvas_tint_rect(c, 0, FOOTER_Y - 4, c->width, 2 * LINE + 6, SHADE_COLOUR, SHADE_AMOUNT);
    draw(c, BT_PANEL_X, FOOTER_Y, status, TEXT_COLOUR);
    if (app->skin_status != 0) {
        char text[] = "SKIN F_00.TPL CANNOT BE SHOWN";
        text[8] = (char)('0' + app->skin);
        draw(c, BT_PANEL_X, FOOTER_Y + LINE, text, CURSOR_COLOUR);
    } else if (app->pad_present && app->menu.page == BT_PAGE_MENU && app->menu.count > 0) {
        draw(c, BT_PANEL_X, FOOTER_Y + LINE, "IN A GAME: X+Y TOGETHER PAUSES", DIM_COLOUR);
    }
}

static void draw_menu(const bt_app* app, bt_canvas* c) {
    const bt_text_metrics m = bt_zoom_metrics(app->zoom);
    const int inset = 4 * m.scale, text_dy = (m.row_height - 7 * m.scale) / 2;
    int i;
    if (app->menu.count == 0) {
        draw(c, BT_PANEL_X + 16, BT_PANEL_Y + 16, "NO GAMES ON THIS DISC", TEXT_COLOUR);
        return;
    }
    for (i = 0; i < m.rows && app->menu.top + i < app->menu.count; ++i) {
        const int game = app->menu.top + i, y = BT_PANEL_Y + i * m.row_height;
        char slot[BT_MENU_SLOT_SIZE + 1];
        uint32_t colour = TEXT_COLOUR;
        bt_menu_text(app->env.menu_table, game, slot);
        if (game == app->menu.cursor) {
            bt_canvas_fill_rect(c, BT_PANEL_X, y, BT_PANEL_WIDTH, m.row_height, CURSOR_COLOUR);
            colour = CURSOR_TEXT;
        }
        bt_draw_text(c, BT_PANEL_X + inset, y + text_dy, m.scale, slot, BT_MENU_SLOT_SIZE, colour);
    }
    /* More games above or below the visible rows. */
    if (app->menu.top > 0) draw(c, BT_PANEL_X + BT_PANEL_WIDTH + 6, BT_PANEL_Y, "^", CURSOR_COLOUR);
    if (app->menu.top + m.rows < app->menu.count)
        draw(c, BT_PANEL_X + BT_PANEL_WIDTH + 6, BT_PANEL_Y + BT_PANEL_HEIGHT - 14, "v", CURSOR_COLOUR);
}

/* Draws text from label + value, wrapped at the panel width (at a space
   where there is one), tabs as spaces, up to max_lines lines; returns the y
   below it. */
static int draw_wrapped(bt_canvas* c, int y, const char* label, const char* value, int max_lines, uint32_t colour) {
    char line[COLUMNS + 1];
    int n = 0, lines = 0, p, k;
    const char* parts[2];
    parts[0] = label;
    parts[1] = value;
    for (p = 0; p < 2; ++p) {
        const char* s = parts[p];
        for (; *s != '\0' && lines < max_lines; ++s) {
            if (*s == '\r') continue;
            if (*s != '\n') line[n++] = *s == '\t' ? ' ' : *s;
            if (*s == '\n' || n == COLUMNS) {
                int cut = n, rest = n;
                if (*s != '\n' && s[1] == ' ') {
                    ++s;                                 /* the line ends at a space: drop it */
                } else if (*s != '\n' && s[1] != '\0') { /* break before the word that does not fit */
                    for (k = n - 1; k > 0 && line[k] != ' '; --k) {}
                    if (k > 0) {
                        cut = k;
                        rest = k + 1;
                    }
                }
                line[cut] = '\0';
                draw(c, BT_PANEL_X + 8, y, line, colour);
                y += LINE;
                ++lines;
                for (k = rest; k < n; ++k) line[k - rest] = line[k];
                n -= rest;
            }
        }
    }
    if (n > 0 && lines < max_lines) {
        line[n] = '\0';
        draw(c, BT_PANEL_X + 8, y, line, colour);
        y += LINE;
    }
    return y;
}

static void draw_details(const bt_app* app, bt_canvas* c) {
    const bt_details* d = &app->details;
    char slot[BT_MENU_SLOT_SIZE + 1], size[40];
    const char* disc_name = d->path;
    const char* p;
    int y = BT_PANEL_Y + 4;
    bt_menu_text(app->env.menu_table, d->number, slot);
    bt_draw_text(c, BT_PANEL_X + 8, y, 3, slot, BT_MENU_SLOT_SIZE, CURSOR_COLOUR);
    y += 32;
    for (p = d->path; *p != '\0'; ++p)
        if (*p == '/') disc_name = p + 1;
    if (d->rom_ok) {
        y = draw_wrapped(c, y, "TITLE:     ", d->title, 1, TEXT_COLOUR);
        y = draw_wrapped(c, y, "GAME CODE: ", d->game_code, 1, TEXT_COLOUR);
        y = draw_wrapped(c, y, "MAKER:     ", d->maker, 1, TEXT_COLOUR);
        bt_copy_text(size + bt_format_uint(size, d->rom_size), 12, " BYTES", 6);
        y = draw_wrapped(c, y, "SIZE:      ", size, 1, TEXT_COLOUR);
    } else {
        y = draw_wrapped(c, y, "ROM HEADER: ", "NOT READABLE", 1, TEXT_COLOUR);
    }
    y = draw_wrapped(c, y, "DISC NAME: ", disc_name[0] != '\0' ? disc_name : "(NOT FOUND)", 2, TEXT_COLOUR);
    y += LINE / 2;
    if (d->index_ok) {
        char label[] = "index.000:\n";
        bt_format_padded(label + 6, (uint32_t)d->number % 1000u, 3);
        label[9] = ':';
        label[10] = '\n';
        y = draw_wrapped(c, y, label, d->index_text, 5, DIM_COLOUR);
    } else {
        y = draw_wrapped(c, y, "INDEX FILE: ", "NOT READABLE", 1, DIM_COLOUR);
    }
    y += LINE / 2;
    draw_wrapped(c, y, "",
                 "IN THE GAME: A, B, L, R AND START AS ON THE HANDHELD, Z IS SELECT, THE PAD OR THE "
                 "STICK STEERS, X+Y PAUSES.",
                 3, CURSOR_COLOUR);
}

void bt_app_draw(const bt_app* app, bt_canvas* frame) {
    bt_canvas_copy(frame, &app->env.background);
    bt_canvas_tint_rect(frame, BT_PANEL_X - 8, BT_PANEL_Y - 8, BT_PANEL_WIDTH + 16, BT_PANEL_HEIGHT + 16, SHADE_COLOUR,
                        SHADE_AMOUNT);
    draw_header(app, frame);
    if (app->menu.page == BT_PAGE_DETAILS && app->details.number >= 0) draw_details(app, frame);
    else if (app->menu.page == BT_PAGE_MESSAGE) draw_wrapped(frame, BT_PANEL_Y + 8, "", app->message, 12, TEXT_COLOUR);
    else draw_menu(app, frame);
    draw_footer(app, frame);
}
