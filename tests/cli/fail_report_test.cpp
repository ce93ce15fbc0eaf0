// The front end alone prints a failure: its console words on the report
// exactly as they are, then one "kessra: " line for each error line.
#include <gtest/gtest.h>

#include "cli/run_steps.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

TEST(FailureReport, EachPartOnItsOwnStreamInOrder) {
    Status with_both = Status::refusal("File x.gba ( 0 ) is not 4/8/16 Mb!\nPlease correct or remove.");
    with_both.message = "roms/x.gba: cannot be examined: is a folder";
    const struct {
        const char* what;
        Status status;
        std::string out;
        std::string err;
    } cases[] = {
        {"console words only", Status::refusal("Files would not fit on a Mini DVDR\n"),
         "Files would not fit on a Mini DVDR\n", ""},
        {"one error line", Status::failure("a.iso: is a directory, not an image file"), "",
         "kessra: a.iso: is a directory, not an image file\n"},
        {"both", with_both, "File x.gba ( 0 ) is not 4/8/16 Mb!\nPlease correct or remove.",
         "kessra: roms/x.gba: cannot be examined: is a folder\n"},
        {"one line for each problem", Status::failures({"first", "second\x1b", "third"}), "",
         "kessra: first\nkessra: second?\nkessra: third\n"},
    };
    for (const auto& c : cases) {
        testing::CapturedOutput out;
        testing::CapturedOutput err;
        RunEnvironment environment = host_environment();
        environment.out = out.stream();
        environment.err = err.stream();
        EXPECT_EQ(fail(c.status, environment), EXIT_FAILED) << c.what;
        EXPECT_EQ(out.text(), c.out) << c.what;
        EXPECT_EQ(err.text(), c.err) << c.what;
    }
}

TEST(FailureReport, FailuresKeepEveryLineAndSuccessHasNone) {
    const Status three = Status::failures({"a", "b", "c"});
    EXPECT_FALSE(three);
    EXPECT_EQ(three.message, "a");
    EXPECT_EQ(three.more_lines, (std::vector<std::string>{"b", "c"}));
    EXPECT_TRUE(three.console.empty());
    const Status none = Status::success();
    EXPECT_TRUE(none);
    EXPECT_TRUE(none.message.empty() && none.console.empty() && none.more_lines.empty());
}

TEST(FailureReport, ProgressReachesTheReportPieceByPiece) {
    testing::CapturedOutput out;
    const ProgressText progress = console_progress(out.stream());
    const std::string_view pieces[] = {"Adding 001/002: ", std::string_view("a\0b", 3), "\r", " [MENU:001 X]\n"};
    for (std::string_view piece : pieces) progress(piece);
    EXPECT_EQ(out.text(), std::string("Adding 001/002: a\0b\r [MENU:001 X]\n", 34));
}

} // namespace
} // namespace kessra
