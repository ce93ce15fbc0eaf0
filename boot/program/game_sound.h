/* The game's sound on the console's audio interface, as the game loop sees
   it (docs/sound.md). */
#ifndef BOOT_GAME_SOUND_H
#define BOOT_GAME_SOUND_H

/* Once, at program start-up. */
void game_sound_init(void);
/* A game starts (or restarts) in the core `emu`. */
void game_sound_start(void* emu);
/* After every emulated frame, drawn or not. */
void game_sound_frame(void* emu);
/* Every video field, playing or paused. */
void game_sound_field(void);
/* The pause menu opens / closes. */
void game_sound_pause(void);
void game_sound_resume(void);
/* The game ends (back to the game list): fades out and stops. */
void game_sound_stop(void* emu);

#endif
