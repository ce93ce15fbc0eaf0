// Payload sets taken from an existing image: the loader from 0x2440, the
// program image from where the header word at 0x420 points, the skins and the
// banner through the root of the file system table.
#pragma once

#include <string>

#include "disc_reader/byte_source.hpp"
#include "payload_sources/taken_payloads.hpp"

namespace kessra {

// All seven blobs of the image. Refused, with one line naming the image and
// the place, when the image is too short, its program image is not where a
// build puts it, its table is out of bounds or malformed, or a skin or the
// banner is missing from the table's root.
Result<SourceRead> read_image_payloads(ByteSource& image);

Result<SourceRead> read_image_payloads(const std::string& image_path);

} // namespace kessra
