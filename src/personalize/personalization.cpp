#include "personalize/personalization.hpp"

#include <algorithm>
#include <atomic>
#include <new>
#include <thread>
#include <vector>

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

Result<Picture> read_picture(const std::string& path, texture::CoverSize cover) {
    auto bytes = read_whole_file(path, MAX_PICTURE_FILE_SIZE);
    if (!bytes) return {bytes.status, {}};
    return texture::decode_picture(bytes.value, path, cover);
}

Result<Picture> fit(const Picture& source, const std::string& path, int width, int height) {
    Picture fitted = texture::cover_scale(source, width, height);
    if (fitted.width == 0) return {Status::failure(path + ": not enough memory to scale the picture"), {}};
    return success(std::move(fitted));
}

} // namespace

Result<Picture> load_fitted_picture(const std::string& path, int width, int height) {
    auto source = read_picture(path, {width, height});
    if (!source) return source;
    return fit(source.value, path, width, height);
}

texture::CoverSize PictureUse::cover() const {
    texture::CoverSize size;
    for (const PictureFit& f : fits) size = {std::max(size.width, f.width), std::max(size.height, f.height)};
    return size;
}

Result<std::vector<PictureUse>> plan_pictures(const Personalization& wish) {
    std::vector<PictureUse> uses;
    auto want = [&](const std::string& path, int width, int height, int skin) -> Status {
        auto identity = regular_file_identity(path);
        if (!identity) return identity.status;
        auto use =
            std::find_if(uses.begin(), uses.end(), [&](const PictureUse& u) { return u.identity == identity.value; });
        if (use == uses.end()) use = uses.insert(uses.end(), {path, identity.value, {}});
        for (PictureFit& f : use->fits)
            if (f.width == width && f.height == height) {
                f.skins.push_back(skin);
                return Status::success();
            }
        use->fits.push_back({width, height, {skin}});
        return Status::success();
    };
    for (int i = 0; i < SKIN_COUNT; ++i) {
        const std::string& path = wish.skin_pictures[static_cast<std::size_t>(i)];
        if (path.empty()) continue;
        if (Status s = want(path, skin_width(i), SKIN_HEIGHT, i); !s) return {s, {}};
    }
    if (!wish.banner_picture.empty())
        if (Status s = want(wish.banner_picture, static_cast<int>(BANNER_WIDTH), static_cast<int>(BANNER_HEIGHT), -1);
            !s)
            return {s, {}};
    return success(std::move(uses));
}

namespace {

// Runs job(0) .. job(count - 1) on up to as many threads as the machine has
// processors. A job reports failure in its own result slot.
template <class Job> void run_in_parallel(std::size_t count, Job job) {
    const std::size_t workers = std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) job(i);
    };
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
}

// Decodes the picture and fits it to each of its sizes, on all processors.
// Only this one decoded picture is held while it runs.
Status make_fitted_blobs(const PictureUse& use, PersonalBlobs& blobs, std::optional<Picture>& banner_picture) {
    Result<Picture> source;
    try {
        source = read_picture(use.path, use.cover());
    } catch (const std::bad_alloc&) {
        return Status::failure(use.path + ": not enough memory to decode the picture");
    }
    if (!source) return source.status;
    std::vector<Status> made(use.fits.size());
    run_in_parallel(use.fits.size(), [&](std::size_t t) {
        const PictureFit& target = use.fits[t];
        try {
            auto fitted = fit(source.value, use.path, target.width, target.height);
            if (!fitted) {
                made[t] = fitted.status;
                return;
            }
            for (int skin : target.skins) {
                if (skin < 0) banner_picture = fitted.value;
                else blobs.skins[static_cast<std::size_t>(skin)] = make_skin_blob(skin, fitted.value);
            }
        } catch (const std::bad_alloc&) {
            made[t] = Status::failure(use.path + ": not enough memory to scale the picture");
        }
    });
    for (const Status& status : made)
        if (!status) return status;
    return Status::success();
}

} // namespace

Result<PersonalBlobs> make_personal_blobs(const Personalization& wish, Blob base_banner) {
    // Each picture file is decoded once, one at a time, and fitted once to
    // each size it is used at.
    auto uses = plan_pictures(wish);
    if (!uses) return {uses.status, {}};
    PersonalBlobs blobs;
    std::optional<Picture> banner_picture;
    for (const PictureUse& use : uses.value)
        if (Status status = make_fitted_blobs(use, blobs, banner_picture); !status) return {status, {}};
    if (wish.changes_banner())
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
