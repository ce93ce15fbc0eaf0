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

#ifdef __cplusplus
}
#endif

#endif
