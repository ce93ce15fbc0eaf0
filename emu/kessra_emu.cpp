#include "emu/kessra_emu.h"

#include "emu/gba.hpp"

namespace {

emu::Gba& state_of(void* state) { return *static_cast<emu::Gba*>(state); }
const emu::Gba& const_state(const void* state) { return *static_cast<const emu::Gba*>(state); }

} // namespace

extern "C" {

size_t kessra_emu_state_size(void) { return sizeof(emu::Gba); }

int kessra_emu_start(void* state, const uint8_t* rom, uint32_t rom_size) {
    return emu::gba_init(state_of(state), rom, rom_size) ? 1 : 0;
}

void kessra_emu_run_frame(void* state) { emu::gba_run_frame(state_of(state)); }

void kessra_emu_set_keys(void* state, uint16_t pressed) { emu::gba_set_keys(state_of(state), pressed); }

const uint16_t* kessra_emu_frame(const void* state) { return const_state(state).frame; }

void kessra_emu_set_audio_rate(void* state, uint32_t rate) { emu::apu_set_rate(state_of(state), rate); }

uint32_t kessra_emu_take_audio(void* state, int16_t* out, uint32_t max_frames) {
    return emu::apu_take(state_of(state), out, max_frames);
}

uint32_t kessra_emu_save_size(const void* state) { return emu::save_size(const_state(state)); }

const uint8_t* kessra_emu_save_data(const void* state) { return const_state(state).save.data; }

int kessra_emu_save_load(void* state, const uint8_t* data, uint32_t size) {
    return emu::save_load(state_of(state), data, size) ? 1 : 0;
}

int kessra_emu_save_changed(const void* state, uint32_t* frame) {
    const emu::SaveChip& chip = const_state(state).save;
    if (frame != nullptr) *frame = chip.changed_frame;
    return chip.dirty ? 1 : 0;
}

int kessra_emu_save_busy(const void* state) { return emu::save_busy(const_state(state)) ? 1 : 0; }

void kessra_emu_save_taken(void* state) { state_of(state).save.dirty = false; }
}
