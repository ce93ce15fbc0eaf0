#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include "platform/output_files.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

Status write_output(OutputFile& output, const std::string& text) {
    auto created = create_output(output, FileMode::binary);
    if (!created) return created.status;
    if (Status status = write_text(created.value, text); !status) return status;
    return close_file(created.value);
}

TEST(OutputFiles, TemporaryNamesAreShortUniqueAndBesideTheFinalFile) {
    ScratchDir dir;
    // The longest name most file systems take: only the temporary's own name must fit.
    const std::string long_name(251, 'p');
    OutputFile first{dir.file(long_name), long_name, {}};
    OutputFile second{dir.file(long_name), long_name, {}};
    auto a = create_output(first, FileMode::binary);
    auto b = create_output(second, FileMode::binary);
    ASSERT_TRUE(a) << a.status.message;
    ASSERT_TRUE(b) << b.status.message;
    abandon_file(a.value);
    abandon_file(b.value);
    EXPECT_NE(first.temporary_path, second.temporary_path);
    for (const OutputFile* output : {&first, &second}) {
        const fs::path temporary(output->temporary_path);
        EXPECT_EQ(temporary.parent_path(), dir.path());
        EXPECT_EQ(temporary.filename().string().rfind(".kessra-", 0), 0u) << temporary;
        EXPECT_LE(temporary.filename().string().size(), 24u) << temporary;
    }
    OutputFile both[] = {first, second};
    discard_outputs(both);
    EXPECT_TRUE(testing::directory_names(dir.path()).empty());
}

TEST(OutputFiles, CreationFailureNamesTheOutput) {
    ScratchDir dir;
    OutputFile output{dir.file("missing/x.iso.txt"), "x.iso.txt", {}};
    const auto created = create_output(output, FileMode::text);
    EXPECT_FALSE(created);
    EXPECT_EQ(created.status.message.rfind("x.iso.txt: creating failed: ", 0), 0u) << created.status.message;
    EXPECT_TRUE(output.temporary_path.empty());
}

// A set of outputs is switched whole or not at all. The last one is made to
// fail by a non-empty folder at its final path.
TEST(OutputFiles, CommitPutsEveryOutputInPlaceOrRestoresTheEarlierOnes) {
    const struct {
        const char* what;
        bool earlier_files;
        bool last_fails;
    } cases[] = {{"replaces earlier files", true, false},
                 {"creates new files", false, false},
                 {"restores earlier files", true, true},
                 {"removes new files", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::vector<std::string> names = {"1.iso.txt", "1.iso", "2.iso.txt", "2.iso"};
        std::vector<OutputFile> outputs;
        for (const std::string& name : names) {
            if (c.earlier_files) testing::write_text_file(dir.file(name), "earlier " + name);
            outputs.push_back({dir.file(name), name, {}});
            ASSERT_TRUE(write_output(outputs.back(), "new " + name));
        }
        if (c.last_fails) {
            fs::remove(dir.file("2.iso"));
            fs::create_directory(dir.file("2.iso"));
            testing::write_text_file(dir.file("2.iso/keep"), "");
        }
        const Status status = commit_outputs(outputs);
        discard_outputs(outputs);
        EXPECT_EQ(status.ok, !c.last_fails) << status.message;
        if (c.last_fails) {
            EXPECT_EQ(status.message.rfind("2.iso: renaming into place failed: ", 0), 0u) << status.message;
        }
        std::vector<std::string> expected_names;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const bool failed_here = c.last_fails && i == 3;
            if (failed_here || (c.last_fails && !c.earlier_files)) {
                if (failed_here) expected_names.push_back(names[i]);
                continue;
            }
            expected_names.push_back(names[i]);
            const bool kept = c.last_fails;
            EXPECT_EQ(testing::read_text(dir.file(names[i])), (kept ? "earlier " : "new ") + names[i]);
        }
        std::sort(expected_names.begin(), expected_names.end());
        EXPECT_EQ(testing::directory_names(dir.path()), expected_names) << "no temporary or set-aside file left";
    }
}

// Four outputs over earlier files; the one at `failing` cannot be put in
// place (its temporary file is gone). Yields the commit's status.
Status commit_failing_at(const ScratchDir& dir, const std::vector<std::string>& names, std::size_t failing) {
    std::vector<OutputFile> outputs;
    for (const std::string& name : names) {
        testing::write_text_file(dir.file(name), "earlier " + name);
        outputs.push_back({dir.file(name), name, {}});
        EXPECT_TRUE(write_output(outputs.back(), "new " + name));
    }
    fs::remove(outputs[failing].temporary_path);
    const Status status = commit_outputs(outputs);
    discard_outputs(outputs);
    return status;
}

TEST(OutputFiles, AFailureAtAnyOutputPutsEveryEarlierFileBackUnderItsOwnName) {
    const std::vector<std::string> names = {"1.iso.txt", "1.iso", "2.iso.txt", "2.iso"};
    for (std::size_t failing = 0; failing < names.size(); ++failing) {
        SCOPED_TRACE(names[failing]);
        ScratchDir dir;
        const Status status = commit_failing_at(dir, names, failing);
        EXPECT_FALSE(status.ok);
        EXPECT_EQ(status.message.rfind(names[failing] + ": renaming into place failed: ", 0), 0u) << status.message;
        for (const std::string& name : names) EXPECT_EQ(testing::read_text(dir.file(name)), "earlier " + name);
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(testing::directory_names(dir.path()), sorted) << "no temporary or kept file left";
    }
}

#ifdef __linux__
// Every name holds the earlier file or the new one at every moment of the
// switch, so that a run killed during it leaves no name empty: no final name
// is ever moved away or removed.
TEST(OutputFiles, NoFinalNameIsEverEmptyDuringTheSwitch) {
    ScratchDir dir;
    const std::vector<std::string> names = {"F_00.tpl", "F_01.tpl", "main.dol", "opening.bnr"};
    std::vector<OutputFile> outputs;
    for (const std::string& name : names) {
        testing::write_text_file(dir.file(name), "earlier " + name);
        outputs.push_back({dir.file(name), name, {}});
        ASSERT_TRUE(write_output(outputs.back(), "new " + name));
    }
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_MOVED_FROM | IN_DELETE), 0);
    ASSERT_TRUE(commit_outputs(outputs));
    discard_outputs(outputs);
    alignas(inotify_event) char buffer[16384];
    std::vector<std::string> left;
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0) left.emplace_back(event->name);
            at += sizeof(inotify_event) + event->len;
        }
    }
    ::close(watch);
    for (const std::string& name : names) {
        EXPECT_EQ(std::count(left.begin(), left.end(), name), 0) << name << " was moved away or removed";
        EXPECT_EQ(testing::read_text(dir.file(name)), "new " + name);
    }
    EXPECT_EQ(testing::directory_names(dir.path()).size(), names.size());
}
#endif

TEST(OutputFiles, LockIsExclusiveAndGoesWithItsHolder) {
    ScratchDir dir;
    const std::string image = dir.file("out.iso");
    const std::string lock_file = lock_path_for(image);
    EXPECT_EQ(fs::path(lock_file).parent_path(), dir.path());
    EXPECT_LE(fs::path(lock_file).filename().string().size(), 30u);
    EXPECT_NE(lock_path_for(dir.file("other.iso")), lock_file);
#ifdef _WIN32
    EXPECT_EQ(lock_path_for(dir.file("OUT.ISO")), lock_file);
#endif
    {
        OutputLock held;
        ASSERT_TRUE(lock_output(image, held));
        EXPECT_TRUE(fs::exists(lock_file));
        OutputLock second;
        const Status refused = lock_output(image, second);
        EXPECT_EQ(refused.message, image + ": another kessra run is writing this image");
        OutputLock other;
        EXPECT_TRUE(lock_output(dir.file("other.iso"), other));
    }
    EXPECT_TRUE(testing::directory_names(dir.path()).empty());
    OutputLock again;
    EXPECT_TRUE(lock_output(image, again));
}

} // namespace
} // namespace kessra
