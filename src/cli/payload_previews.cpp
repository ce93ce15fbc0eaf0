#include "cli/payload_previews.hpp"

#include "personalize/art_blobs.hpp"
#include "platform/output_files.hpp"
#include "platform/paths.hpp"
#include "platform/folders.hpp"
#include "texture/png_file.hpp"

namespace kessra {

namespace {

constexpr const char* PREVIEW_FOLDER = "previews";

} // namespace

std::vector<std::string> preview_paths(const std::string& folder) {
    std::vector<std::string> paths;
    const std::string previews = join_path(folder, PREVIEW_FOLDER);
    for (int i = 0; i < SKIN_COUNT; ++i) paths.push_back(join_path(previews, "skin" + std::to_string(i) + ".png"));
    paths.push_back(join_path(previews, "banner.png"));
    return paths;
}

Status stage_previews(const std::string& folder, const PayloadSet& set, std::vector<OutputFile>& outputs,
                      MadeFolders& made) {
    const std::vector<std::string> paths = preview_paths(folder);
    std::vector<Bytes> pngs;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const bool banner = i == paths.size() - 1;
        const Picture shown = banner ? decode_banner_picture(set.banner_blob) : decode_skin_blob(set.skin_blob[i]);
        if (shown.width == 0)
            return Status::failure(paths[i] +
                                   ": no preview: the texture's header is not one of a skin this tool writes");
        pngs.push_back(texture::encode_png(shown, banner));
        if (pngs.back().empty()) return Status::failure(paths[i] + ": the preview could not be encoded");
    }
    if (Status status = make_output_folders(join_path(folder, PREVIEW_FOLDER), made); !status) return status;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (Status status = stage_output(outputs, paths[i], pngs[i]); !status) return status;
    }
    return Status::success();
}

} // namespace kessra
