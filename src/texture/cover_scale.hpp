// Fitting a picture to a texture's size the way "cover" fitting does it: the
// picture is scaled, keeping its aspect ratio, until it covers the whole
// target, and the overflow is cropped evenly from both sides, so the centre
// stays. Resampling is gamma-correct (sRGB) with alpha weighting, Mitchell
// filter when shrinking and Catmull-Rom when enlarging.
#pragma once

#include "texture/picture.hpp"

namespace kessra::texture {

// An empty picture when the source is empty or memory runs out.
Picture cover_scale(const Picture& source, int width, int height);

} // namespace kessra::texture
