// The artwork: four menu backgrounds (skins) and the disc banner picture.
#pragma once

#include "payload_gen/raster.hpp"

namespace kessra::payload_gen {

// Skin 0 is 640 x 448 (stored compressed), skins 1 to 3 are 608 x 448.
Picture draw_skin(int index);

// 96 x 32 with transparent rounded corners.
Picture draw_banner();

} // namespace kessra::payload_gen
