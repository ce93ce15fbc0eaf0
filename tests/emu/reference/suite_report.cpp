// emu_suite_report: runs every ROM of the NBA hardware tests and of destoer's
// tests through our core and the reference for 300 frames, prints what each
// screen states (the NBA tests' text verdicts) and whether the two pictures
// agree, and keeps both pictures under the build's emu-frames/report folder.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "screen_text.hpp"
#include "suite_support.hpp"

namespace {

using namespace emu_harness;

const char* name_of(TextVerdict verdict) {
    return verdict == TextVerdict::kPassed ? "PASS" : verdict == TextVerdict::kFailed ? "FAIL" : "-";
}

std::vector<std::string> roms_under(const std::string& folder) {
    std::vector<std::string> roms;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error))
        if (it->path().extension() == ".gba") roms.push_back(it->path().string());
    std::sort(roms.begin(), roms.end());
    return roms;
}

} // namespace

int main() {
    std::optional<std::string> readme = shared_rom("README.md");
    if (!readme) {
        std::fprintf(stderr, "emu_suite_report: the shared test ROMs are absent\n");
        return 77;
    }
    std::string root = readme->substr(0, readme->size() - std::string("README.md").size());
    const std::vector<uint32_t> at = {300};
    int passed = 0, failed = 0, silent = 0;
    std::printf("%-58s %-5s %-5s %s\n", "ROM", "ours", "ref", "pictures");
    for (const char* suite : {"nba-hw-test", "destoer-gba-tests"}) {
        for (const std::string& path : roms_under(root + suite)) {
            std::string name = path.substr(root.size());
            std::optional<std::vector<uint8_t>> rom = read_file(path);
            std::optional<std::vector<Snapshot>> ours = rom ? run_ours(*rom, at, {}) : std::nullopt;
            if (!ours) {
                std::printf("%-58s not run\n", name.c_str());
                continue;
            }
            std::optional<std::vector<Snapshot>> theirs = run_reference(*rom, at, {});
            TextVerdict our_verdict = judge_screen_text(read_screen_text(ours->back().frame));
            TextVerdict their_verdict =
                theirs ? judge_screen_text(read_screen_text(theirs->back().frame)) : TextVerdict::kNone;
            std::string pictures = "no reference";
            std::string kept = "report_" + name;
            std::replace(kept.begin(), kept.end(), '/', '_');
            keep_frame(kept, ours->back().frame);
            if (theirs) {
                FrameDifference difference = compare_frames(ours->back().frame, theirs->back().frame, 0);
                pictures = difference.same() ? "same" : std::to_string(difference.count) + " pixels differ";
                keep_frame(kept + "_reference", theirs->back().frame);
            }
            std::printf("%-58s %-5s %-5s %s\n", name.c_str(), name_of(our_verdict), name_of(their_verdict),
                        pictures.c_str());
            passed += our_verdict == TextVerdict::kPassed;
            failed += our_verdict == TextVerdict::kFailed;
            silent += our_verdict == TextVerdict::kNone;
        }
    }
    std::printf("ours: %d pass, %d fail, %d without a text verdict\n", passed, failed, silent);
    return 0;
}
