// libFuzzer target: random ROMs on the handheld core, a few frames each.
#include "fuzz_emu_entry.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kessra::fuzzing::run_rom_one({data, size});
    return 0;
}
