#include "payloads/payloads.hpp"

// Defined by the generated payload_blobs.S: each blob's bytes and a word
// holding its length.
extern "C" {
extern const std::uint8_t kessra_blob_apploader[];
extern const std::uint8_t kessra_blob_program[];
extern const std::uint8_t kessra_blob_skin0[];
extern const std::uint8_t kessra_blob_skin1[];
extern const std::uint8_t kessra_blob_skin2[];
extern const std::uint8_t kessra_blob_skin3[];
extern const std::uint8_t kessra_blob_banner[];
extern const std::uint32_t kessra_blob_apploader_size;
extern const std::uint32_t kessra_blob_program_size;
extern const std::uint32_t kessra_blob_skin0_size;
extern const std::uint32_t kessra_blob_skin1_size;
extern const std::uint32_t kessra_blob_skin2_size;
extern const std::uint32_t kessra_blob_skin3_size;
extern const std::uint32_t kessra_blob_banner_size;
}

namespace kessra {

const PayloadSet& builtin_payloads() {
    static const PayloadSet payloads{
        Blob(kessra_blob_apploader, kessra_blob_apploader_size),
        Blob(kessra_blob_program, kessra_blob_program_size),
        {Blob(kessra_blob_skin0, kessra_blob_skin0_size), Blob(kessra_blob_skin1, kessra_blob_skin1_size),
         Blob(kessra_blob_skin2, kessra_blob_skin2_size), Blob(kessra_blob_skin3, kessra_blob_skin3_size)},
        Blob(kessra_blob_banner, kessra_blob_banner_size),
    };
    return payloads;
}

} // namespace kessra
