#include "cli/payload_previews.hpp"

#include "personalize/art_blobs.hpp"
#include "platform/output_files.hpp"
#include "platform/paths.hpp"
#include "platform/small_files.hpp"
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

Status write_previews(const std::string& folder, const PayloadSet& set) {
    const std::vector<std::string> paths = preview_paths(folder);
    std::vector<Bytes> pngs;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const bool banner = i == paths.size() - 1;
        const Picture shown = banner ? decode_banner_picture(set.banner_blob) : decode_skin_blob(set.skin_blob[i]);
        if (shown.width == 0)
            return Status::failure(paths[i] + ": no preview: the texture's header is not one of a skin this tool writes");
        pngs.push_back(texture::encode_png(shown, banner));
        if (pngs.back().empty()) return Status::failure(paths[i] + ": the preview could not be encoded");
    }
    if (Status status = make_directories(join_path(folder, PREVIEW_FOLDER)); !status) return status;
    std::vector<OutputFile> outputs;
    for (const std::string& path : paths) outputs.push_back({path, path, {}});
    Status status = Status::success();
    for (std::size_t i = 0; i < outputs.size() && status; ++i) {
        Result<File> created = create_output(outputs[i], FileMode::binary);
        if (!created) {
            status = created.status;
            break;
        }
        status = write_bytes(created.value, pngs[i]);
        if (status) status = close_file(created.value);
        else abandon_file(created.value);
    }
    if (status) status = commit_outputs(outputs);
    discard_outputs(outputs); // what is left on failure; stops the watching

    return status;
}

} // namespace kessra
