// The key schedule of "kessra run -keys": what is taken and what is refused.
#include <gtest/gtest.h>

#include "emu/gba.hpp"
#include "handheld/key_schedule.hpp"

namespace kessra::handheld {
namespace {

TEST(KeySchedule, TakesItemsInTheirOrder) {
    const struct {
        const char* text;
        KeySchedule expected;
    } cases[] = {
        {"0:A", {{0, emu::kKeyA}}},
        {"60:A,90:-,120:START+UP", {{60, emu::kKeyA}, {90, 0}, {120, emu::kKeyStart | emu::kKeyUp}}},
        {"5:select+Start+rIGHT", {{5, emu::kKeySelect | emu::kKeyStart | emu::kKeyRight}}},
        {"1:L+R,2:B,3:DOWN+LEFT", {{1, emu::kKeyL | emu::kKeyR}, {2, emu::kKeyB}, {3, emu::kKeyDown | emu::kKeyLeft}}},
        {"0:A+B+SELECT+START+RIGHT+LEFT+UP+DOWN+R+L", {{0, emu::kAllKeys}}},
        {"007:-", {{7, 0}}},
        {"2147483647:A", {{MAX_FRAME, emu::kKeyA}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Result<KeySchedule> parsed = parse_key_schedule(c.text);
        ASSERT_TRUE(parsed) << parsed.status.message;
        ASSERT_EQ(parsed.value.size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(parsed.value[i].frame, c.expected[i].frame) << i;
            EXPECT_EQ(parsed.value[i].keys, c.expected[i].keys) << i;
        }
    }
}

TEST(KeySchedule, RefusesWhatIsNotASchedule) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "the schedule is empty"},
        {"A", "item 1 \"A\": not FRAME:KEYS"},
        {"60:A,", "item 2 \"\": not FRAME:KEYS"},
        {",60:A", "item 1 \"\": not FRAME:KEYS"},
        {"60:A,,90:B", "item 2 \"\": not FRAME:KEYS"},
        {":A", "item 1 \":A\": the frame is not a number from 0 to 2147483647"},
        {"-1:A", "item 1 \"-1:A\": the frame is not a number from 0 to 2147483647"},
        {"+1:A", "item 1 \"+1:A\": the frame is not a number from 0 to 2147483647"},
        {" 1:A", "item 1 \" 1:A\": the frame is not a number from 0 to 2147483647"},
        {"1x:A", "item 1 \"1x:A\": the frame is not a number from 0 to 2147483647"},
        {"2147483648:A", "item 1 \"2147483648:A\": the frame is not a number from 0 to 2147483647"},
        {"99999999999999999999:A", "item 1 \"99999999999999999999:A\": the frame is not a number from 0 to 2147483647"},
        {"60:", "item 1 \"60:\": no keys given (use - for none)"},
        {"60:X", "item 1 \"60:X\": X is not a key (the keys: A B SELECT START RIGHT LEFT UP DOWN R L)"},
        {"60:A+", "item 1 \"60:A+\": an empty key name"},
        {"60:+A", "item 1 \"60:+A\": an empty key name"},
        {"60:A++B", "item 1 \"60:A++B\": an empty key name"},
        {"60:A+a", "item 1 \"60:A+a\": a is named twice"},
        {"60:A+-", "item 1 \"60:A+-\": - is not a key (the keys: A B SELECT START RIGHT LEFT UP DOWN R L)"},
        {"60:STARTX", "item 1 \"60:STARTX\": STARTX is not a key (the keys: A B SELECT START RIGHT LEFT UP DOWN R L)"},
        {"60:STAR", "item 1 \"60:STAR\": STAR is not a key (the keys: A B SELECT START RIGHT LEFT UP DOWN R L)"},
        {"60:A B", "item 1 \"60:A B\": A B is not a key (the keys: A B SELECT START RIGHT LEFT UP DOWN R L)"},
        {"60:A:B", "item 1 \"60:A:B\": A:B is not a key (the keys: A B SELECT START RIGHT LEFT UP DOWN R L)"},
        {"60:A,60:B", "item 2 \"60:B\": frame 60 does not come after frame 60"},
        {"60:A,90:-,30:B", "item 3 \"30:B\": frame 30 does not come after frame 90"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Result<KeySchedule> parsed = parse_key_schedule(c.text);
        EXPECT_FALSE(parsed);
        EXPECT_EQ(parsed.status.message, c.message);
    }
}

TEST(KeySchedule, FrameNumbersAreDigitsUpToTheLimit) {
    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {{"0", 0u},          {"1", 1u},          {"600", 600u}, {"2147483647", MAX_FRAME},
                 {"2147483648", {}}, {"4294967296", {}}, {"", {}},      {"-5", {}},
                 {"5 ", {}},         {"0x10", {}},       {"1e3", {}},   {"١", {}}};
    for (const auto& c : cases) EXPECT_EQ(parse_frame_number(c.text), c.value) << c.text;
}

} // namespace
} // namespace kessra::handheld
