#include "handheld/key_schedule.hpp"

#include <array>
#include <string>

#include "emu/gba.hpp"

namespace kessra::handheld {

namespace {

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

struct KeyName {
    const char* name;
    std::uint16_t bit;
};

constexpr std::array<KeyName, 10> KEY_NAMES{{{"A", emu::kKeyA},
                                             {"B", emu::kKeyB},
                                             {"SELECT", emu::kKeySelect},
                                             {"START", emu::kKeyStart},
                                             {"RIGHT", emu::kKeyRight},
                                             {"LEFT", emu::kKeyLeft},
                                             {"UP", emu::kKeyUp},
                                             {"DOWN", emu::kKeyDown},
                                             {"R", emu::kKeyR},
                                             {"L", emu::kKeyL}}};

constexpr const char* KEY_LIST = "A B SELECT START RIGHT LEFT UP DOWN R L";

std::optional<std::uint16_t> key_bit(std::string_view name) {
    for (const KeyName& key : KEY_NAMES)
        if (same_name_in_any_case(name, key.name)) return key.bit;
    return std::nullopt;
}

// The keys of one item: "-" or names joined by "+". Empty message: read.
std::string parse_keys(std::string_view text, std::uint16_t& keys) {
    keys = 0;
    if (text == "-") return {};
    if (text.empty()) return "no keys given (use - for none)";
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find('+', start), text.size());
        const std::string_view name = text.substr(start, end - start);
        if (name.empty()) return "an empty key name";
        const std::optional<std::uint16_t> bit = key_bit(name);
        if (!bit) return std::string(name) + " is not a key (the keys: " + KEY_LIST + ")";
        if ((keys & *bit) != 0) return std::string(name) + " is named twice";
        keys = static_cast<std::uint16_t>(keys | *bit);
        if (end == text.size()) return {};
        start = end + 1;
    }
}

} // namespace

bool same_name_in_any_case(std::string_view text, const char* name) {
    std::size_t i = 0;
    for (; i < text.size() && name[i] != '\0'; ++i) {
        if (ascii_upper(text[i]) != ascii_upper(name[i])) return false;
    }
    return i == text.size() && name[i] == '\0';
}

std::optional<std::uint32_t> parse_frame_number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > MAX_FRAME) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

Result<KeySchedule> parse_key_schedule(std::string_view text) {
    KeySchedule schedule;
    if (text.empty()) return {Status::failure("the schedule is empty"), {}};
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, end - start);
        const std::string where = "item " + std::to_string(schedule.size() + 1) + " \"" + std::string(item) + "\": ";
        const std::size_t colon = item.find(':');
        if (colon == std::string_view::npos) return {Status::failure(where + "not FRAME:KEYS"), {}};
        const std::optional<std::uint32_t> frame = parse_frame_number(item.substr(0, colon));
        if (!frame)
            return {Status::failure(where + "the frame is not a number from 0 to " + std::to_string(MAX_FRAME)), {}};
        if (!schedule.empty() && *frame <= schedule.back().frame)
            return {Status::failure(where + "frame " + std::to_string(*frame) + " does not come after frame " +
                                    std::to_string(schedule.back().frame)),
                    {}};
        std::uint16_t keys = 0;
        if (const std::string wrong = parse_keys(item.substr(colon + 1), keys); !wrong.empty())
            return {Status::failure(where + wrong), {}};
        schedule.push_back({*frame, keys});
        if (end == text.size()) return success(std::move(schedule));
        start = end + 1;
    }
}

} // namespace kessra::handheld
