/* The game's save memory on the memory card in slot A, as the game loop
   sees it (docs/memory-card.md). */
#ifndef BOOT_GAME_SAVE_H
#define BOOT_GAME_SAVE_H

#include <stdint.h>

#include "../common/app.h"

/* A game starts in the core `emu` (after kessra_emu_start) from `rom`:
   loads its kept save into the core. */
void game_save_start(bt_app* app, void* emu, const uint8_t* rom, const char* title);
/* After every emulated frame. */
void game_save_frame(void* emu);
/* The player paused / is going back to the game list: writes a changed
   save now. */
void game_save_pause(void* emu);
void game_save_leave(void* emu);

#endif
