// PNG previews of a payload set's skins and banner, decoded back from the
// encoded textures: what the console will show.
#pragma once

#include <string>
#include <vector>

#include "payloads/payloads.hpp"
#include "platform/output_files.hpp"
#include "platform/status.hpp"

namespace kessra {

// The preview files in `folder`: previews/skin0.png .. skin3.png and
// previews/banner.png.
std::vector<std::string> preview_paths(const std::string& folder);

// Writes them under temporary names and adds them to `outputs`, for the
// caller to put in place with the rest; the folder it makes is recorded in
// `made`. A skin whose texture header is not one this tool writes is refused
// before anything is written.
Status stage_previews(const std::string& folder, const PayloadSet& set, std::vector<OutputFile>& outputs,
                      MadeFolders& made);

} // namespace kessra
