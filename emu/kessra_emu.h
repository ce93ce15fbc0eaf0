/* The handheld core as the console program (C) reaches it. The state is one
   block the caller provides, of kessra_emu_state_size() bytes aligned to 8;
   the ROM stays the caller's and must outlive the state. */
#ifndef KESSRA_EMU_H
#define KESSRA_EMU_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

size_t kessra_emu_state_size(void);
/* Powers on with the ROM; 1 when started, 0 for a ROM of an impossible size. */
int kessra_emu_start(void* state, const uint8_t* rom, uint32_t rom_size);
/* Runs until the next frame is complete. */
void kessra_emu_run_frame(void* state);
/* The keys held, one bit each in the handheld's KEYINPUT order (A, B, Select,
   Start, Right, Left, Up, Down, R, L), set = pressed. */
void kessra_emu_set_keys(void* state, uint16_t pressed);
/* The last complete frame: 240 x 160 pixels, row by row, each a 15-bit colour
   (red in bits 0-4, green 5-9, blue 10-14). */
const uint16_t* kessra_emu_frame(const void* state);

/* Sound: produced at `rate` samples per second (0, the default, produces
   none); taken as interleaved left/right signed 16-bit frames, up to
   max_frames at a time; returns how many were taken. */
void kessra_emu_set_audio_rate(void* state, uint32_t rate);
uint32_t kessra_emu_take_audio(void* state, int16_t* out, uint32_t max_frames);

/* The cartridge's save memory, in the layout of .sav files: its size (0 for
   none, or while an EEPROM's size is not known yet), its bytes, and loading
   a copy kept earlier (1 when taken, 0 for a size that does not fit). */
uint32_t kessra_emu_save_size(const void* state);
const uint8_t* kessra_emu_save_data(const void* state);
int kessra_emu_save_load(void* state, const uint8_t* data, uint32_t size);
/* 1 when the game changed the save memory since the last kessra_emu_save_taken,
   and the frame (counted from power-on) of the latest change. */
int kessra_emu_save_changed(const void* state, uint32_t* frame);
/* 1 while the game is in the middle of a write sequence: not a moment to keep
   the contents. */
int kessra_emu_save_busy(const void* state);
/* The caller has kept the contents. */
void kessra_emu_save_taken(void* state);

#ifdef __cplusplus
}
#endif

#endif
