// Host-independent part of the output switch: temporary names, the
// all-or-nothing commit of a set of outputs, the lock file's name.
#include "platform/output_files.hpp"

#include <chrono>
#include <random>
#include <vector>

#include "platform/folders.hpp"

namespace kessra {

namespace {

#ifdef _WIN32
constexpr bool NAMES_IGNORE_CASE = true;
constexpr const char* SEPARATORS = "\\/:";
#else
constexpr bool NAMES_IGNORE_CASE = false;
constexpr const char* SEPARATORS = "/";
#endif

// The folder part of a path, with its closing separator ("" for a bare name).
std::string folder_of(const std::string& path) {
    const auto cut = path.find_last_of(SEPARATORS);
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Eight random letters and digits; a fresh draw each time, mixed with the clock
// so that a poor random source still gives names that differ between runs.
std::string random_part() {
    std::random_device device;
    std::uint64_t bits = (std::uint64_t{device()} << 32) ^ device() ^
                         static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    static constexpr char ALPHABET[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string part;
    for (int i = 0; i < 8; ++i) {
        part += ALPHABET[bits % 36];
        bits /= 36;
        if (i == 3) bits ^= std::uint64_t{device()} << 20;
    }
    return part;
}

constexpr int NAME_ATTEMPTS = 100;

// Makes something new (`make` on a path) beside `final_path` under a fresh
// temporary name, trying other names while one is taken.
template <typename Make> Status make_beside(const std::string& final_path, Make make, std::string& made_path) {
    const std::string folder = folder_of(final_path);
    Status made;
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        const std::string candidate = folder + ".kessra-" + random_part() + ".tmp";
        made = make(candidate);
        if (made) {
            made_path = candidate;
            return made;
        }
        // Anything but a name already taken is a real failure.
        if (!path_exists(candidate)) return made;
    }
    return made;
}

// Creates a new file beside `final_path` under a fresh temporary name.
Result<File> create_beside(const std::string& final_path, const std::string& name, FileMode mode,
                           std::string& created_path) {
    Result<File> created;
    const Status made = make_beside(
        final_path,
        [&](const std::string& candidate) {
            created = create_new_file(candidate, name, mode);
            return created.status;
        },
        created_path);
    if (!made) return {made, {}};
    return created;
}

// Keeps the file now at `output`'s final path under a fresh name as well, in
// `backup`: a second link, so that the final name never goes missing. Where
// the file system has no links it is moved aside instead.
Status keep_aside(const OutputFile& output, std::string& backup) {
    std::string kept;
    const auto link = [&](const std::string& candidate) {
        return link_file(output.final_path, candidate, output.name);
    };
    if (make_beside(output.final_path, link, kept)) {
        backup = kept;
        return Status::success();
    }
    auto created = create_beside(output.final_path, output.name, FileMode::binary, kept);
    if (!created) return created.status;
    abandon_file(created.value);
    if (Status status = replace_file(output.final_path, kept, output.name); !status) {
        remove_quietly(kept);
        return status;
    }
    backup = kept;
    return Status::success();
}

// Puts the earlier file kept in `backup` back at `output`'s place; when that
// fails, `failure` learns where it is kept.
void restore(const OutputFile& output, const std::string& backup, Status& failure) {
    if (backup.empty()) return;
    // Not replaced yet: the final name still holds the earlier file, and its
    // second name goes (a rename between two links of one file does nothing).
    if (same_file(backup, output.final_path)) {
        remove_quietly(backup);
        return;
    }
    if (replace_file(backup, output.final_path, output.name)) return;
    failure.message += "; the earlier " + output.name + " could not be put back and is kept as " + backup;
}

// Undoes the first `count` switches, latest first.
void put_back(std::span<OutputFile> outputs, const std::vector<std::string>& backups, std::size_t count,
              Status& failure) {
    for (std::size_t i = count; i-- > 0;) {
        if (backups[i].empty()) remove_quietly(outputs[i].final_path);
        restore(outputs[i], backups[i], failure);
    }
}

} // namespace

Result<File> create_output(OutputFile& output, FileMode mode) {
    // An interruption between the creation and the watch would leave the file behind.
    const InterruptsHeld held;
    std::string path;
    auto created = create_beside(output.final_path, output.name, mode, path);
    if (created) {
        output.temporary_path = path;
        watch_temporary(path);
    }
    return created;
}

Status commit_outputs(std::span<OutputFile> outputs) {
    const InterruptsHeld held;
    std::vector<std::string> backups(outputs.size());
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        OutputFile& output = outputs[i];
        const bool last = i + 1 == outputs.size();
        Status status;
        // The last one replaces its earlier version in one step; the others
        // keep theirs under a second name until it did. Each name holds the
        // earlier file or the new one at every moment.
        if (!last && path_exists(output.final_path)) status = keep_aside(output, backups[i]);
        if (status) status = replace_file(output.temporary_path, output.final_path, output.name);
        if (!status) {
            restore(output, backups[i], status);
            put_back(outputs, backups, i, status);
            return status;
        }
        unwatch_temporary(output.temporary_path);
        output.temporary_path.clear();
    }
    for (const std::string& backup : backups) {
        if (!backup.empty()) remove_quietly(backup);
    }
    return Status::success();
}

void discard_outputs(std::span<OutputFile> outputs) {
    for (OutputFile& output : outputs) {
        if (output.temporary_path.empty()) continue;
        remove_quietly(output.temporary_path);
        unwatch_temporary(output.temporary_path);
        output.temporary_path.clear();
    }
}

Status stage_output(std::vector<OutputFile>& outputs, const std::string& path, std::span<const std::uint8_t> contents) {
    outputs.push_back({path, path, {}});
    Result<File> created = create_output(outputs.back(), FileMode::binary);
    if (!created) return created.status;
    if (Status status = write_bytes(created.value, contents); !status) {
        abandon_file(created.value);
        return status;
    }
    return close_file(created.value);
}

Status lock_output(const std::string& image_path, OutputLock& lock) {
    return lock_file_at(lock_path_for(image_path), image_path, "image", lock);
}

Status lock_folder(const std::string& folder, OutputLock& lock) {
    std::string inside = folder;
    if (inside.find_last_of(SEPARATORS) + 1 != inside.size()) inside += SEPARATORS[0];
    return lock_file_at(lock_path_for(inside + "payloads"), folder, "folder", lock);
}

MadeFolders::~MadeFolders() {
    for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
        remove_empty_folder(*path);
        unwatch_temporary(*path);
    }
}

void MadeFolders::keep() {
    for (const std::string& path : paths) unwatch_temporary(path);
    paths.clear();
}

Status make_output_folders(const std::string& path, MadeFolders& made) {
    // The missing folders, innermost first, then made outermost first.
    std::vector<std::string> missing;
    std::string folder = path;
    while (folder.size() > 1 && folder.find_last_of(SEPARATORS) + 1 == folder.size()) folder.pop_back();
    while (!folder.empty() && !path_exists(folder)) {
        missing.push_back(folder);
        const auto cut = folder.find_last_of(SEPARATORS);
        if (cut == std::string::npos) break;
        folder.resize(cut);
    }
    for (auto each = missing.rbegin(); each != missing.rend(); ++each) {
        // An interruption between the making and the watch would leave the folder behind.
        const InterruptsHeld held;
        if (Status status = make_directories(*each); !status) return status;
        made.paths.push_back(*each);
        watch_temporary(*each);
    }
    if (!is_directory(path)) return Status::failure(path + ": is not a folder");
    return Status::success();
}

std::string lock_path_for(const std::string& image_path) {
    const std::string folder = folder_of(image_path);
    // FNV-1a over the image's own name.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = folder.size(); i < image_path.size(); ++i) {
        auto c = static_cast<unsigned char>(image_path[i]);
        if (NAMES_IGNORE_CASE && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        hash = (hash ^ c) * 0x100000001b3ull;
    }
    static constexpr char HEX[] = "0123456789abcdef";
    std::string digits(16, '0');
    for (std::size_t i = 16; i-- > 0; hash >>= 4) digits[i] = HEX[hash & 0xF];
    return folder + ".kessra-" + digits + ".lock";
}

} // namespace kessra
