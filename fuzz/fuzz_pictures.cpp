// libFuzzer target: the picture reader (signature, size budget, the PNG and
// JPEG decoders, scaled decoding).
#include "fuzz_entries.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kessra::fuzzing::decode_picture_one({data, size});
    return 0;
}
