// The tool as a process: a report that cannot be written, mistyped options,
// control bytes in names, ROMs that change between the scan and the build.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "cli/run.hpp"
#include "image/content_writer.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs `script` under bash with the tool's path in $K, collecting standard
// output and standard error apart.
Outcome run_script(const std::string& script, const ScratchDir& dir) {
    const std::string err_file = dir.file("stderr.log");
    const std::string command = "K='" + std::string(KESSRA_BINARY) + "' bash -c '" + script + "' 2>" + err_file;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    const int status = ::pclose(pipe);
    const std::string err = testing::read_text(err_file);
    fs::remove(err_file);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, err};
}

void make_roms(const ScratchDir& dir) {
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "A");
}

TEST(ProcessInput, UnwritableReportFailsTheRunButKeepsTheImage) {
    const struct {
        const char* setup;
        const char* redirect;
        const char* reason;
    } cases[] = {{"", ">/dev/full", "No space left on device"},
                 // A pipe whose only reader is gone before the tool starts (so
                 // the first write fails, however the processes are scheduled),
                 // and the caller ignores SIGPIPE.
                 {"mkfifo \"$D/pipe\" && exec 4<>\"$D/pipe\" 5>\"$D/pipe\" && exec 4<&- && ", ">&5", "Broken pipe"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.redirect);
        ScratchDir dir;
        make_roms(dir);
        const std::string setup = std::string("D=") + dir.path().string() + "; " + c.setup;
        const Outcome run = run_script(setup + "trap \"\" PIPE; $K -o " + dir.file("out.iso") + " -d " +
                                           dir.file("roms") + " -v V -p " + c.redirect,
                                       dir);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, std::string("kessra: write error: standard output: ") + c.reason + "\n");
        EXPECT_TRUE(fs::exists(dir.file("out.iso")));
        // The commands that flush their own report tell the same reason.
        for (const std::string& command : {"inspect " + dir.file("out.iso"), "export-payloads " + dir.file("set")}) {
            fs::remove(dir.file("pipe"));
            const Outcome other = run_script(setup + "trap \"\" PIPE; $K " + command + " " + c.redirect, dir);
            EXPECT_EQ(other.status, 1) << command;
            EXPECT_EQ(other.err, std::string("kessra: write error: standard output: ") + c.reason + "\n") << command;
        }
    }
}

TEST(ProcessInput, UnknownOptionsAreWarnedAboutButIgnored) {
    ScratchDir dir;
    make_roms(dir);
    const std::string base = "$K -o " + dir.file("out.iso") + " -d " + dir.file("roms");
    const struct {
        std::string args;
        std::string warnings;
    } cases[] = {
        {" -v V -dravnk", "kessra: ignoring unknown option -dravnk\n"},
        {" -v V -x --pad", "kessra: ignoring unknown option -x\nkessra: ignoring unknown option --pad\n"},
        // The value of an option, whatever it looks like, is no option.
        {" -v -label", ""},
        {" -v V -ds -1 -P -DRAVNIK", ""},
        {" -v V -title -x -skin9 p.png", "kessra: ignoring unknown option -skin9\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome run = run_script(base + c.args, dir);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, c.warnings);
    }
}

TEST(ProcessInput, ControlBytesInLabelAndPathsAreShownAsQuestionMarks) {
    ScratchDir dir;
    const std::string odd_folder = dir.file("r\033[2Jx");
    fs::create_directory(odd_folder);
    testing::write_rom(odd_folder + "/a.gba", 4 * 1024 * 1024, "A");
    const std::string image = dir.file("o\nut.iso");
    const Outcome run = run_script("$K -o \"$(printf \"" + dir.file("o\\nut.iso") + "\")\" -d \"$(printf \"" +
                                       dir.file("r\\033[2Jx") + "\")\" -v \"$(printf \"L\\033]0;\\nB\")\"",
                                   dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string shown_image = dir.file("o?ut.iso");
    EXPECT_NE(run.out.find("GCM Output to : " + shown_image +
                           "\nVolume Name   : L?]0;?B\nDirectory     : " + dir.file("r?[2Jx") + "\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find('\033'), std::string::npos);
    const std::string listing = testing::read_text(image + ".txt");
    EXPECT_EQ(listing.rfind("Game Listing for " + shown_image + "\n\nVolume set as L?]0;?B\n\n", 0), 0u) << listing;
    // The disc header keeps the label as given.
    const auto bytes = testing::read_bytes(image);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 0x20), "L\033]0;\nB");
}

TEST(IndexFile, ControlBytesInTheFileNameAreShownAsQuestionMarks) {
    const RomRecord rom{"two\nlines\033.gba", "two_lines_.gba", "T", 4 * 1024 * 1024};
    EXPECT_EQ(index_file_text(rom),
              "; Auto generated by kessra\nroms/two_lines_.gba\t;two?lines?.gba - 4194304 bytes\n");
}

// ROMs found by the scan that are no longer what it saw: refused before the
// summary, naming the ROM.
TEST(RunChecks, RomsThatChangedAfterTheScanAreRefusedBeforeTheSummary) {
    const struct {
        const char* what;
        const char* make; // what roms/b.gba becomes
        const char* message;
    } cases[] = {{"shrunk", "shrink", ": changed size during the build"},
                 {"grown", "grow", ": changed size during the build"},
                 {"pipe", "fifo", ": is not a regular file"},
                 {"gone", "remove", ": opening failed: No such file or directory"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        make_roms(dir);
        const std::string b = dir.file("roms/b.gba");
        const std::string make = c.make;
        if (make == "shrink") testing::write_sparse_file(b, 1024 * 1024);
        if (make == "grow") testing::write_sparse_file(b, 5 * 1024 * 1024);
        if (make == "fifo") {
            ASSERT_EQ(::mkfifo(b.c_str(), 0666), 0);
        }
        const DirectoryLister scanned = [](const std::string&) {
            return success(std::vector<DirEntry>{{"a.gba", 4 * 1024 * 1024}, {"b.gba", 4 * 1024 * 1024}});
        };
        const std::string image = dir.file("out.iso");
        const std::string roms = dir.file("roms");
        const char* argv[] = {"kessra", "-o", image.c_str(), "-d", roms.c_str(), "-v", "V"};
        testing::CapturedOutput out;
        testing::CapturedOutput err;
        RunEnvironment environment = host_environment();
        environment.list_directory = scanned;
        environment.out = out.stream();
        environment.err = err.stream();
        EXPECT_EQ(run_kessra(7, argv, environment), 1);
        EXPECT_EQ(err.text(), "kessra: " + b + c.message + "\n");
        EXPECT_EQ(out.text().find("GCM Output to"), std::string::npos) << out.text();
        EXPECT_FALSE(fs::exists(image));
    }
}

TEST(ProcessInput, RomThatCannotBeExaminedGetsItsRealReason) {
    const struct {
        const char* what;
        const char* reason;
    } cases[] = {{"dangling", "No such file or directory"},
                 {"loop", "Too many levels of symbolic links"},
                 {"folder", "is a folder"},
                 {"unsearchable", "Permission denied"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string what = c.what;
        // The superuser searches any folder.
        if (what == "unsearchable" && ::geteuid() == 0) continue;
        ScratchDir dir;
        make_roms(dir);
        const std::string x = dir.file("roms/x.gba");
        if (what == "dangling") fs::create_symlink(dir.file("roms/missing"), x);
        if (what == "loop") fs::create_symlink(x, x);
        if (what == "folder") fs::create_directory(x);
        if (what == "unsearchable") {
            testing::write_rom(x, 4 * 1024 * 1024, "X");
            fs::permissions(dir.path() / "roms", fs::perms::owner_read);
        }
        const Outcome run = run_script("cd \"" + dir.path().string() + "\" && \"$K\" -o out.iso -d roms -v V", dir);
        fs::permissions(dir.path() / "roms", fs::perms::owner_all);
        EXPECT_EQ(run.status, 1);
        // Without search permission no entry can be examined; a.gba comes first.
        const std::string name = what == "unsearchable" ? "a.gba" : "x.gba";
        const std::string scanned = "File " + name + " ( 0 ) is not 4/8/16 Mb!\nPlease correct or remove.";
        EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), scanned.size())), scanned);
        EXPECT_EQ(run.err, "kessra: roms/" + name + ": cannot be examined: " + c.reason + "\n");
        EXPECT_FALSE(fs::exists(dir.path() / "out.iso"));
    }
}

} // namespace
} // namespace kessra

#endif
