// What the images of a split collection are called and how they are labelled.
#pragma once

#include <cstddef>
#include <string>

namespace kessra {

// The image path of disc `number` (1-based): STEM_N.EXT from `image_path`, in
// the same folder ("out/set.iso" gives "out/set_2.iso"; a name without an
// extension gets the number at its end).
std::string disc_image_path(const std::string& image_path, std::size_t number);

// The volume label of disc `number` of `count`: the label followed by " 1/3"
// and so on when the numbering of every disc fits the label field, otherwise
// the label as given.
std::string disc_volume_label(const std::string& label, std::size_t number, std::size_t count);

} // namespace kessra
