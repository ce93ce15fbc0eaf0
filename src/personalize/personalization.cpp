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

namespace {

// Runs job(0) .. job(count - 1) on up to as many threads as the machine has
// processors. A job reports failure in its own result slot.
template <class Job>
void run_in_parallel(std::size_t count, Job job) {
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

// One fitted size of one picture, and the blobs made from it.
struct Target {
    std::string path;
    int width = 0, height = 0;
    std::vector<int> skins; // skin indices; -1 for the banner
};

} // namespace

Result<PersonalBlobs> make_personal_blobs(const Personalization& wish, Blob base_banner) {
    // Each picture is read once, and fitted once to each size it is used at.
    std::vector<std::string> paths;
    std::vector<Target> targets;
    auto want = [&](const std::string& path, int width, int height, int skin) {
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
        for (Target& target : targets)
            if (target.path == path && target.width == width && target.height == height) {
                target.skins.push_back(skin);
                return;
            }
        targets.push_back({path, width, height, {skin}});
    };
    for (int i = 0; i < SKIN_COUNT; ++i)
        if (!wish.skin_pictures[static_cast<std::size_t>(i)].empty())
            want(wish.skin_pictures[static_cast<std::size_t>(i)], skin_width(i), SKIN_HEIGHT, i);
    if (!wish.banner_picture.empty())
        want(wish.banner_picture, static_cast<int>(BANNER_WIDTH), static_cast<int>(BANNER_HEIGHT), -1);

    std::vector<Result<Picture>> read(paths.size());
    run_in_parallel(paths.size(), [&](std::size_t i) {
        try {
            read[i] = read_picture(paths[i]);
        } catch (const std::bad_alloc&) {
            read[i] = {Status::failure(paths[i] + ": not enough memory to decode the picture"), {}};
        }
    });
    for (const auto& picture : read)
        if (!picture) return {picture.status, {}};

    PersonalBlobs blobs;
    std::optional<Picture> banner_picture;
    std::vector<Status> made(targets.size());
    run_in_parallel(targets.size(), [&](std::size_t t) {
        const Target& target = targets[t];
        try {
            const auto source = std::find(paths.begin(), paths.end(), target.path) - paths.begin();
            auto fitted = fit(read[static_cast<std::size_t>(source)].value, target.path, target.width, target.height);
            if (!fitted) {
                made[t] = fitted.status;
                return;
            }
            for (int skin : target.skins) {
                if (skin < 0) banner_picture = fitted.value;
                else blobs.skins[static_cast<std::size_t>(skin)] = make_skin_blob(skin, fitted.value);
            }
        } catch (const std::bad_alloc&) {
            made[t] = Status::failure(target.path + ": not enough memory to scale the picture");
        }
    });
    for (const Status& status : made)
        if (!status) return {status, {}};
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
