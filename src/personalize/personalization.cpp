#include "personalize/personalization.hpp"

#include <map>

#include "platform/read_file.hpp"
#include "texture/cover_scale.hpp"
#include "texture/picture_file.hpp"

namespace kessra {

bool Personalization::any() const {
    for (const std::string& skin : skin_pictures)
        if (!skin.empty()) return true;
    return changes_banner();
}

bool Personalization::changes_banner() const {
    if (!banner_picture.empty()) return true;
    for (const auto& text : banner_texts)
        if (text) return true;
    return false;
}

namespace {

Result<Picture> read_picture(const std::string& path) {
    auto bytes = read_whole_file(path, MAX_PICTURE_FILE_SIZE);
    if (!bytes) return {bytes.status, {}};
    return texture::decode_picture(bytes.value, path);
}

Result<Picture> fit(const Picture& source, const std::string& path, int width, int height) {
    Picture fitted = texture::cover_scale(source, width, height);
    if (fitted.width == 0) return {Status::failure(path + ": not enough memory to scale the picture"), {}};
    return success(std::move(fitted));
}

} // namespace

Result<Picture> load_fitted_picture(const std::string& path, int width, int height) {
    auto source = read_picture(path);
    if (!source) return source;
    return fit(source.value, path, width, height);
}

Result<PersonalBlobs> make_personal_blobs(const Personalization& wish, Blob base_banner) {
    PersonalBlobs blobs;
    // A picture given for several skins is read once.
    std::map<std::string, Picture> read;
    auto source = [&read](const std::string& path) -> Result<const Picture*> {
        auto found = read.find(path);
        if (found == read.end()) {
            auto picture = read_picture(path);
            if (!picture) return {picture.status, nullptr};
            found = read.emplace(path, std::move(picture.value)).first;
        }
        return success<const Picture*>(&found->second);
    };
    for (int i = 0; i < SKIN_COUNT; ++i) {
        const std::string& path = wish.skin_pictures[static_cast<std::size_t>(i)];
        if (path.empty()) continue;
        auto picture = source(path);
        if (!picture) return {picture.status, {}};
        auto fitted = fit(*picture.value, path, skin_width(i), SKIN_HEIGHT);
        if (!fitted) return {fitted.status, {}};
        blobs.skins[static_cast<std::size_t>(i)] = make_skin_blob(i, fitted.value);
    }
    if (!wish.changes_banner()) return success(std::move(blobs));
    std::optional<Picture> banner_picture;
    if (!wish.banner_picture.empty()) {
        auto picture = source(wish.banner_picture);
        if (!picture) return {picture.status, {}};
        auto fitted = fit(*picture.value, wish.banner_picture, static_cast<int>(BANNER_WIDTH),
                          static_cast<int>(BANNER_HEIGHT));
        if (!fitted) return {fitted.status, {}};
        banner_picture = std::move(fitted.value);
    }
    blobs.banner = make_banner_blob(base_banner, banner_picture ? &*banner_picture : nullptr, wish.banner_texts);
    return success(std::move(blobs));
}

PayloadSet with_personal_blobs(const PayloadSet& base, const PersonalBlobs& blobs) {
    PayloadSet set = base;
    for (std::size_t i = 0; i < set.skin_blob.size(); ++i)
        if (blobs.skins[i]) set.skin_blob[i] = *blobs.skins[i];
    if (blobs.banner) set.banner_blob = *blobs.banner;
    return set;
}

} // namespace kessra
