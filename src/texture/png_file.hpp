// PNG files of pictures, for previews.
#pragma once

#include "texture/picture.hpp"

namespace kessra::texture {

// 8-bit RGB (alpha dropped) or RGBA. Empty on failure (empty picture).
Bytes encode_png(const Picture& pic, bool with_alpha);

} // namespace kessra::texture
