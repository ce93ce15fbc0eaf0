// The machine's calls into the sound, until the sound exists: nothing to do.
#include "emu/apu.hpp"

namespace emu {

void apu_timer_overflow(Gba&, uint32_t) {}
void apu_register_written(Gba&, uint32_t, uint32_t) {}

} // namespace emu
