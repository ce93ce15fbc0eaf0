// libFuzzer target: the header and table reader and the checks of inspect.
#include "fuzz_entries.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kessra::fuzzing::inspect_one({data, size});
    return 0;
}
