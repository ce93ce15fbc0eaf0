// A user's own skins, banner picture and banner texts, turned into the blobs
// that replace those of the payload set.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "personalize/art_blobs.hpp"
#include "personalize/banner_text.hpp"
#include "platform/file_io.hpp"
#include "platform/status.hpp"
#include "texture/picture_file.hpp"

namespace kessra {

struct Personalization {
    std::array<std::string, SKIN_COUNT> skin_pictures; // "-skin0" .. "-skin3"; empty: keep the skin
    std::string banner_picture;                        // "-banner"; empty: keep the picture
    // "-title", "-maker", "-long-title", "-long-maker", "-description", in
    // BANNER_TEXT_FIELDS order, already converted to Windows-1252.
    std::array<std::optional<std::string>, BANNER_TEXT_COUNT> banner_texts;

    bool any() const;
    bool changes_banner() const;
};

struct PersonalBlobs {
    std::array<std::optional<Bytes>, SKIN_COUNT> skins;
    std::optional<Bytes> banner;
};

// Picture files larger than this are refused unread.
inline constexpr std::uint64_t MAX_PICTURE_FILE_SIZE = std::uint64_t{1} << 30;

// Reads the picture at `path` and fits it to width x height ("cover":
// scaled to fill, centre kept). One line naming the file on failure.
Result<Picture> load_fitted_picture(const std::string& path, int width, int height);

// One size a picture is fitted to, and the blobs made from it.
struct PictureFit {
    int width = 0, height = 0;
    std::vector<int> skins; // skin indices; -1 for the banner
};

// One picture file, however many options name it and however they spell it,
// and the sizes it is fitted to.
struct PictureUse {
    std::string path; // as the first option to name it gave it
    FileIdentity identity;
    std::vector<PictureFit> fits;

    // What the picture must cover: the largest of its sizes on each side.
    texture::CoverSize cover() const;
};

// The pictures the personalization names, each file once, in the order of
// the options. A path that is not a regular file is refused here, unread.
Result<std::vector<PictureUse>> plan_pictures(const Personalization& wish);

// Makes the blobs the personalization asks for; the banner starts from
// `base_banner`. Nothing is written anywhere.
Result<PersonalBlobs> make_personal_blobs(const Personalization& wish, Blob base_banner);

// `base` with the personal blobs in place of its own; the views point into
// `blobs`, which must outlive the result.
PayloadSet with_personal_blobs(const PayloadSet& base, const PersonalBlobs& blobs);

} // namespace kessra
