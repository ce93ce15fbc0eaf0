#include "emu/kessra_emu.h"

#include "emu/gba.hpp"

namespace {

emu::Gba& state_of(void* state) { return *static_cast<emu::Gba*>(state); }

} // namespace

extern "C" {

size_t kessra_emu_state_size(void) { return sizeof(emu::Gba); }

int kessra_emu_start(void* state, const uint8_t* rom, uint32_t rom_size) {
    return emu::gba_init(state_of(state), rom, rom_size) ? 1 : 0;
}

void kessra_emu_run_frame(void* state) { emu::gba_run_frame(state_of(state)); }

void kessra_emu_set_keys(void* state, uint16_t pressed) { emu::gba_set_keys(state_of(state), pressed); }

const uint16_t* kessra_emu_frame(const void* state) { return static_cast<const emu::Gba*>(state)->frame; }
}
