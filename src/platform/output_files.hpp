// Output that appears whole or not at all: files are written under short
// temporary names of their own beside their final places and all renamed into
// place together at the end, or none of them. Temporary files are removed on
// failure and when the run is interrupted. A lock file beside an image keeps
// two runs from writing it at the same time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/file_io.hpp"
#include "platform/status.hpp"

namespace kessra {

// One file of the output: written at `temporary_path`, then moved to `final_path`.
struct OutputFile {
    std::string final_path;
    std::string name;           // what messages call it
    std::string temporary_path; // set when the file is created
};

// Creates the temporary file of `output` in the folder of its final path,
// under a short name not made from the final one (".kessra-" and a random
// part), trying other names while one is taken. The file is watched: an
// interruption removes it.
Result<File> create_output(OutputFile& output, FileMode mode);

// Moves every written output into place, in the order given, or none of them:
// when one cannot be put in place, those moved before it are put back as they
// were (an earlier file that was replaced comes back, a new one goes). Put the
// file that decides whether the set exists (the image) last: it replaces its
// earlier version in one step. Interruptions wait until the switch is over.
Status commit_outputs(std::span<OutputFile> outputs);

// Removes what is left of the temporary files and stops watching them.
void discard_outputs(std::span<OutputFile> outputs);

// Writes `contents` into a new temporary file for `path` and adds it to
// `outputs`, to be committed together with the others (or discarded).
Status stage_output(std::vector<OutputFile>& outputs, const std::string& path, std::span<const std::uint8_t> contents);

// The advisory lock on an image: held from before anything is written until
// the outputs are in place; released (and its file removed) when this goes.
struct OutputLock {
    std::string path;
    std::intptr_t handle = -1;
    OutputLock() = default;
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;
    ~OutputLock();
};

// Takes the lock of `image_path` on a lock file beside it; fails at once,
// naming the image, while another run holds it. A missing folder, or one that
// cannot be written, is named as such.
Status lock_output(const std::string& image_path, OutputLock& lock);

// The same lock for a folder of payload files, on a lock file inside it.
Status lock_folder(const std::string& folder, OutputLock& lock);

// The host's part of both: locks the file at `lock_path`; messages name
// `holder`, the `kind` of thing ("image", "folder") the lock guards.
Status lock_file_at(const std::string& lock_path, const std::string& holder, const char* kind, OutputLock& lock);

// The folders a run made for its outputs: removed again, while empty, when
// the run fails or is interrupted; kept once the outputs are in place.
struct MadeFolders {
    std::vector<std::string> paths; // outermost first
    MadeFolders() = default;
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;
    ~MadeFolders();
    void keep(); // the outputs are in place: the folders stay
};

// Makes `path` and any missing folder above it, recording (and watching) each
// one made in `made`.
Status make_output_folders(const std::string& path, MadeFolders& made);

// Removes an empty folder, ignoring any failure.
void remove_empty_folder(const std::string& path);

// Gives the file at `existing` a second name, `new_path`, that must not exist
// yet; fails where the file system has no links.
Status link_file(const std::string& existing, const std::string& new_path, const std::string& name);

// The lock file of an image: a short hidden name in the image's folder,
// derived from the image's name (letter case folded where the file system
// ignores it).
std::string lock_path_for(const std::string& image_path);

// Moves `from` over `to`, replacing any existing file; `name` is what messages call it.
Status replace_file(const std::string& from, const std::string& to, const std::string& name);

// Removes a file, ignoring any failure.
void remove_quietly(const std::string& path);

// True when something (a file of any kind, or a dangling link) is at `path`.
bool path_exists(const std::string& path);

// Opens the null device on each of standard input, output and error that is
// closed, so that no file the run opens takes their place.
void open_missing_standard_streams();

// Removes the watched files if the run is interrupted (Ctrl-C, a termination
// request, a closed terminal or report pipe, the other signals that end a
// process by default) and then ends with the usual status of that signal. A
// signal the caller started the tool with ignored stays ignored. Past a file
// size limit, writes fail with "File too large" instead of ending the run.
void install_interrupt_cleanup();

// The files watched at a time: for each of up to 99 discs its image, its
// listing and its lock file.
inline constexpr std::size_t MAX_WATCHED_FILES = 3 * 99;

// The files an interruption removes (temporary files, the lock file), and
// the folders made for them, removed after the files, latest first, when empty.
void watch_temporary(const std::string& path);
void unwatch_temporary(const std::string& path);

// Interruptions wait while this is held (the outputs being switched).
struct InterruptsHeld {
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

} // namespace kessra
