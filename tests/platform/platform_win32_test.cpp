// The Windows platform layer where the common tests do not reach it: search
// failures, short names, 64-bit positions, replacing files, Ctrl-C. They hold
// on NTFS and under wine alike, so no particular short-name form is expected.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/dir_listing.hpp"
#include "platform/file_io.hpp"
#include "platform/output_files.hpp"
#include "platform/paths.hpp"
#include "platform/short_name.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

bool one_line(const std::string& message) { return message.find_first_of("\r\n") == std::string::npos; }

TEST(Win32Listing, NoMatchIsAnEmptyListingButAnUnsearchableDirectoryFails) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "no-match");
    fs::create_directory(dir.path() / "no-roms");
    // Matches "*.gba" through its short name where the volume keeps them; no ROM.
    testing::write_sparse_file(dir.file("no-roms\\longer.gbax"), 10);
    testing::write_sparse_file(dir.file("plain-file"), 10);
    const struct {
        std::string directory;
        bool ok;
    } cases[] = {{dir.file("no-match"), true},
                 {dir.file("no-roms"), true},
                 {dir.file("missing"), false},
                 {dir.file("missing\\deeper"), false},
                 {dir.file("plain-file"), false}};
    for (const auto& c : cases) {
        const auto listing = list_rom_files(c.directory);
        EXPECT_EQ(bool(listing.status), c.ok) << c.directory;
        EXPECT_TRUE(listing.value.empty()) << c.directory;
        if (c.ok) continue;
        const std::string prefix = c.directory + ": reading the ROM directory failed: ";
        EXPECT_EQ(listing.status.message.rfind(prefix, 0), 0u) << listing.status.message;
        EXPECT_GT(listing.status.message.size(), prefix.size()) << "no reason given";
        EXPECT_TRUE(one_line(listing.status.message)) << listing.status.message;
    }
}

TEST(Win32ShortName, ShortFormOrThePathUnchanged) {
    ScratchDir dir;
    for (const std::string& missing : {dir.file("missing name.gba"), dir.file("missing\\x.gba")}) {
        EXPECT_EQ(short_path_name(missing), missing);
    }
    // Every component is shortened, the folders too; an 8.3 name stays.
    for (const std::string name : {"TETRIX.GBA", "A Long Name.gba"}) {
        testing::write_sparse_file(dir.file(name), 10);
        const std::string shortened = short_path_name(dir.file(name));
        EXPECT_TRUE(same_file(shortened, dir.file(name))) << shortened;
        const std::string last(last_component(shortened));
        EXPECT_TRUE(last == name || (last.size() <= 12 && last.find(' ') == std::string::npos)) << last;
    }
    EXPECT_EQ(last_component(short_path_name(dir.file("TETRIX.GBA"))), "TETRIX.GBA");
}

TEST(Win32FileIo, PositionsBeyondTwoAndFourGiB) {
    ScratchDir dir;
    auto created = create_new_file(dir.file("big.iso"), "big.iso", FileMode::binary);
    ASSERT_TRUE(created) << created.status.message;
    const std::uint64_t length = 2147483648ull + 4096; // past a signed 32-bit offset
    ASSERT_TRUE(extend_to(created.value, length));
    EXPECT_EQ(file_position(created.value).value, length);
    ASSERT_TRUE(seek_to(created.value, 4294967296ull + 5)); // past an unsigned one
    EXPECT_EQ(file_position(created.value).value, 4294967296ull + 5);
    ASSERT_TRUE(close_file(created.value));
    EXPECT_EQ(fs::file_size(dir.file("big.iso")), length);
}

TEST(Win32OutputFiles, ReplaceOverwritesAnExistingFileOrNamesItsFailure) {
    ScratchDir dir;
    testing::write_text_file(dir.file("out.iso"), "earlier image");
    const std::string temporary = dir.file(".kessra-new.tmp");
    testing::write_text_file(temporary, "new image");
    ASSERT_TRUE(replace_file(temporary, dir.file("out.iso"), "out.iso"));
    EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"out.iso"});
    EXPECT_EQ(testing::read_text(dir.file("out.iso")), "new image");

    const Status missing = replace_file(temporary, dir.file("out.iso"), "shown.iso");
    EXPECT_EQ(missing.message.rfind("shown.iso: renaming into place failed: ", 0), 0u) << missing.message;
    EXPECT_TRUE(one_line(missing.message)) << missing.message;
}

std::atomic<bool> ctrl_c_seen{false};
BOOL WINAPI note_and_ignore(DWORD) {
    ctrl_c_seen = true;
    return TRUE;
}

TEST(Win32Process, CtrlCRemovesTemporaryFilesAndEndsWith130) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms\\a.gba"), 16 * 1024 * 1024, "A");
    testing::write_text_file(dir.file("out.iso"), "earlier image");
    testing::write_text_file(dir.file("out.iso.txt"), "earlier listing");

    // The fill's progress fills the unread pipe on standard output, so the run
    // stops there with its temporary files in place. The tool gets a console
    // of its own, without a window (a window would need a desktop).
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE pipe_read = nullptr;
    HANDLE pipe_write = nullptr;
    ASSERT_TRUE(CreatePipe(&pipe_read, &pipe_write, &inherited, 4096));
    SetHandleInformation(pipe_read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = pipe_write;
    std::string command = std::string("\"") + KESSRA_BINARY + "\" -o \"" + dir.file("out.iso") + "\" -d \"" +
                          dir.file("roms") + "\" -v V -p";
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(pipe_write);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (testing::directory_names(dir.path()).size() < 6 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(testing::directory_names(dir.path()).size(), 6u) << "temporary image and listing, lock file";

    // Ctrl-C reaches every process on the tool's console, this one too: it is
    // ignored here, and this process leaves the console once it has seen it.
    FreeConsole();
    EXPECT_TRUE(AttachConsole(process.dwProcessId)) << GetLastError();
    SetConsoleCtrlHandler(note_and_ignore, TRUE);
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << GetLastError();
    const DWORD waited = WaitForSingleObject(process.hProcess, 20000);
    for (int i = 0; i < 2000 && !ctrl_c_seen; ++i) Sleep(5);
    FreeConsole();
    SetConsoleCtrlHandler(note_and_ignore, FALSE);
    AttachConsole(ATTACH_PARENT_PROCESS);

    DWORD status = 0;
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &status);
    for (HANDLE handle : {process.hProcess, process.hThread, pipe_read}) CloseHandle(handle);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(status, 130u);
    EXPECT_EQ(testing::read_text(dir.file("out.iso")), "earlier image");
    EXPECT_EQ(testing::read_text(dir.file("out.iso.txt")), "earlier listing");
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"out.iso", "out.iso.txt", "roms"}));
}

} // namespace
} // namespace kessra

#endif
