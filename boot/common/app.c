#include "app.h"

#include "fst.h"
#include "menu_table.h"
#include "text.h"
#include "tpl.h"

#define BORDER_COLOUR BT_RGB(20, 28, 64)
#define FALLBACK_TOP BT_RGB(40, 56, 112)
#define FALLBACK_BOTTOM BT_RGB(12, 16, 40)

static int digit(uint8_t d, int count) { return d >= '0' && d < '0' + count ? d - '0' : 0; }

/* A plain gradient where the skin cannot be shown. */
static void fallback_background(bt_canvas* c) {
    int y;
    for (y = 0; y < c->height; ++y) {
        const uint32_t t = (uint32_t)(y * 256 / c->height);
        uint32_t colour = 0;
        int shift;
        for (shift = 16; shift >= 0; shift -= 8)
            colour |= (((FALLBACK_TOP >> shift & 0xFF) * (256u - t) + (FALLBACK_BOTTOM >> shift & 0xFF) * t) >> 8)
                      << shift;
        bt_canvas_fill_rect(c, 0, y, c->width, 1, colour);
    }
}

static int load_skin(const bt_app_env* env, int skin) {
    char name[] = "F_00.tpl";
    bt_fst_file file;
    name[3] = (char)('0' + skin);
    if (!bt_fst_find(env->fst, env->fst_size, name, &file)) return 1;
    if (file.length > env->file_capacity) return 2;
    if (env->read(env->read_ctx, file.offset, env->file_buffer, file.length) != 0) return 3;
    bt_canvas_fill((bt_canvas*)&env->background, BORDER_COLOUR);
    {
        const int status = bt_tpl_draw_centred(env->file_buffer, file.length, (bt_canvas*)&env->background);
        return status == BT_TPL_OK ? 0 : 10 + status;
    }
}

void bt_app_start(bt_app* app, const bt_app_env* env) {
    app->env = *env;
    app->skin = digit(env->skin_digit, 4);
    app->zoom = digit(env->zoom_digit, BT_ZOOM_COUNT);
    app->pad_present = 1;
    app->details.number = -1;
    app->play = -1;
    app->message[0] = '\0';
    bt_menu_init(&app->menu, bt_menu_count(env->menu_table, BT_MENU_SLOT_COUNT), bt_zoom_metrics(app->zoom).rows);
    bt_app_restore(app);
}

int bt_app_input(bt_app* app, uint32_t pad_high) {
    const int present = (pad_high & BT_PAD_ABSENT) == 0;
    const int changed = present != app->pad_present;
    int event;
    app->pad_present = present;
    event = bt_menu_input(&app->menu, bt_pad_keys(pad_high));
    if (event == BT_EVENT_OPEN) bt_details_load(&app->env, app->menu.cursor, &app->details);
    if (event == BT_EVENT_PLAY) app->play = app->menu.cursor;
    return changed || event != BT_EVENT_NONE;
}

void bt_app_show_message(bt_app* app, const char* text) {
    uint32_t n = 0;
    while (text[n] != '\0' && n + 1 < sizeof app->message) {
        app->message[n] = text[n];
        ++n;
    }
    app->message[n] = '\0';
    app->menu.page = BT_PAGE_MESSAGE;
}

void bt_app_restore(bt_app* app) {
    app->skin_status = load_skin(&app->env, app->skin);
    if (app->skin_status != 0) fallback_background(&app->env.background);
}
