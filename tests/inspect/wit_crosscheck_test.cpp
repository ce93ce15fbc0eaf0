// The file list of an image as an independent reader (wit) gives it equals
// the one inspect gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/run.hpp"
#include "platform/paths.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

#ifndef _WIN32
std::string command_output(const std::string& command) {
    std::string text;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
    ::pclose(pipe);
    return text;
}
#endif

TEST(InspectWit, FileListAndSizesMatchWit) {
#ifdef _WIN32
    GTEST_SKIP() << "wit is not run under the Windows build";
#else
    if (std::system("command -v wit >/dev/null 2>&1") != 0) GTEST_SKIP() << "wit is not installed";
    testing::ScratchDir dir;
    const std::string roms = dir.file("roms");
    std::filesystem::create_directory(roms);
    testing::write_rom(join_path(roms, "Alpha Quest.gba"), 8 * 1024 * 1024, "ALPHA");
    testing::write_rom(join_path(roms, "b.gba"), 4 * 1024 * 1024, "BEE");
    const std::string image = dir.file("wit.iso");
    const std::string kessra = KESSRA_BINARY;
    ASSERT_EQ(std::system((kessra + " -o '" + image + "' -d '" + roms + "' -v WIT >/dev/null").c_str()), 0);

    // "   size  ID/files/path" for each file; folders show "N=count".
    std::map<std::string, std::uint64_t> from_wit;
    std::istringstream lines(command_output("wit files --long '" + image + "'"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string size;
        std::string path;
        if (!(fields >> size >> path) || size.find_first_not_of("0123456789") != std::string::npos) continue;
        const auto files = path.find("/files/");
        if (files == std::string::npos) continue;
        from_wit[path.substr(files + 7)] = std::stoull(size);
    }
    const auto document = nlohmann::json::parse(command_output(kessra + " inspect -json '" + image + "'"));
    std::map<std::string, std::uint64_t> from_inspect;
    for (const auto& file : document["files"]) {
        if (!file["directory"].get<bool>()) from_inspect[file["path"]] = file["size"];
    }
    EXPECT_EQ(from_inspect.size(), 9u); // two ROMs, two index files, four skins, the banner
    EXPECT_EQ(from_wit, from_inspect);
#endif
}

} // namespace
} // namespace kessra
