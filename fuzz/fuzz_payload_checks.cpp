// libFuzzer target: the payload checks.
#include "fuzz_entries.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kessra::fuzzing::check_payload_one({data, size});
    return 0;
}
