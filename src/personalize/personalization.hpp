// A user's own skins, banner picture and banner texts, turned into the blobs
// that replace those of the payload set.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "personalize/art_blobs.hpp"
#include "personalize/banner_text.hpp"
#include "platform/status.hpp"

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

// Makes the blobs the personalization asks for; the banner starts from
// `base_banner`. Nothing is written anywhere.
Result<PersonalBlobs> make_personal_blobs(const Personalization& wish, Blob base_banner);

// `base` with the personal blobs in place of its own; the views point into
// `blobs`, which must outlive the result.
PayloadSet with_personal_blobs(const PayloadSet& base, const PersonalBlobs& blobs);

} // namespace kessra
