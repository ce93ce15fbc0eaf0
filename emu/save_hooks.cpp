// The save area until the save chips exist: no chip, the bus reads 0xFF.
#include "emu/save.hpp"

namespace emu {

uint8_t save_read(Gba&, uint32_t) { return 0xFF; }
void save_write(Gba&, uint32_t, uint8_t) {}

} // namespace emu
