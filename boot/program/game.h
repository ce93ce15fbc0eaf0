/* Playing one game of the menu: loading its ROM with a progress bar,
   running the emulator a frame per field, the pause menu. */
#ifndef BOOT_GAME_H
#define BOOT_GAME_H

#include "../common/app.h"

/* Plays game number (0-based) until the player goes back to the list, or
   puts a message on the app's message page when the game cannot start.
   shown is the framebuffer on screen (0 or 1), kept up to date; frame is
   the screen-sized canvas. The skin must be drawn again afterwards
   (bt_app_restore): the ROM took its memory. */
void game_play(bt_app* app, int number, bt_canvas* frame, int* shown);

#endif
