/* Saves are not yet kept: the calls keep their places in the game loop. */
#include "game_save.h"

void game_save_start(bt_app* app, void* emu, const uint8_t* rom, const char* title) {
    (void)app;
    (void)emu;
    (void)rom;
    (void)title;
}
void game_save_frame(void* emu, uint32_t frame) {
    (void)emu;
    (void)frame;
}
void game_save_pause(void* emu, uint32_t frame) {
    (void)emu;
    (void)frame;
}
void game_save_leave(void* emu, uint32_t frame) {
    (void)emu;
    (void)frame;
}
