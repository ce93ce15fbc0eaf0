#include "cli/personal_options.hpp"

#include <string>

#include "catalogue/rom_record.hpp"
#include "cli/options.hpp"

namespace kessra {

namespace {

constexpr std::array<const char*, SKIN_COUNT> SKIN_OPTIONS{"-skin0", "-skin1", "-skin2", "-skin3"};

} // namespace

Status read_personal_options(int argc, const char* const* argv, Personalization& wish) {
    std::array<const char*, BANNER_TEXT_COUNT> texts{};
    for (int i = 0; i + 1 < argc; ++i) {
        const char* argument = argv[i];
        const std::string value = argv[i + 1];
        std::string* picture = nullptr;
        for (std::size_t s = 0; s < SKIN_OPTIONS.size(); ++s)
            if (same_option(argument, SKIN_OPTIONS[s])) picture = &wish.skin_pictures[s];
        if (same_option(argument, "-banner")) picture = &wish.banner_picture;
        // The value was checked with the others (check_option_value).
        if (picture != nullptr) *picture = value;
        for (std::size_t t = 0; t < BANNER_TEXT_COUNT; ++t)
            if (same_option(argument, BANNER_TEXT_FIELDS[t].option)) texts[t] = argv[i + 1];
    }
    // Converted once each, so only the text that is used can be refused.
    for (std::size_t t = 0; t < BANNER_TEXT_COUNT; ++t) {
        if (texts[t] == nullptr) continue;
        auto converted = to_banner_text(texts[t], BANNER_TEXT_FIELDS[t]);
        if (!converted) return converted.status;
        wish.banner_texts[t] = std::move(converted.value);
    }
    return Status::success();
}

} // namespace kessra
