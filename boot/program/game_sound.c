/* Sound is not yet played: the calls keep their places in the game loop. */
#include "game_sound.h"

void game_sound_init(void) {}
void game_sound_start(void* emu) { (void)emu; }
void game_sound_frame(void* emu) { (void)emu; }
void game_sound_field(void) {}
void game_sound_pause(void) {}
void game_sound_resume(void) {}
void game_sound_stop(void* emu) { (void)emu; }
