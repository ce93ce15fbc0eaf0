// The options that make a disc one's own: -skin0 .. -skin3 PICTURE,
// -banner PICTURE and the banner texts -title, -maker, -long-title,
// -long-maker and -description TEXT.
#pragma once

#include "personalize/personalization.hpp"
#include "platform/status.hpp"

namespace kessra {

// Walks the whole argument vector in the manner of the other options (any
// case, the value in the next argument, the last occurrence wins) and fills
// `wish`. A text that cannot go into its banner field fails with a line that
// names the option; the caller treats that as a usage error.
Status read_personal_options(int argc, const char* const* argv, Personalization& wish);

} // namespace kessra
