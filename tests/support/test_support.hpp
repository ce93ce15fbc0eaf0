// Shared helpers of the test suite: scratch directories, ROM files, captured
// console output and a small reader of the images the tool writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace kessra::testing {

// How a "\n" written to a text stream ends up in the file.
#ifdef _WIN32
inline const std::string TEXT_LINE_END = "\r\n";
#else
inline const std::string TEXT_LINE_END = "\n";
#endif

// A fresh directory, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A ROM file of `size` bytes, sparse but for its header (title at 0xA0) and a
// first block of bytes derived from the title.
void write_rom(const std::string& path, std::uint64_t size, const std::string& title);

// A file of `size` zero bytes, made sparse.
void write_sparse_file(const std::string& path, std::uint64_t size);

std::vector<std::uint8_t> read_bytes(const std::string& path);
std::string read_text(const std::string& path);
void write_text_file(const std::string& path, const std::string& text);
// Writes `bytes` to `path`, making its folders first; fails the test when it cannot.
void write_bytes_file(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The header block of an image this tool wrote (its disc id and magic word)
// with `label`, as an earlier output that a run may replace; yields its bytes.
std::vector<std::uint8_t> write_earlier_image(const std::string& path, const std::string& label);

// Names in a directory, sorted.
std::vector<std::string> directory_names(const std::filesystem::path& directory);

// A FILE* that collects what is printed into it.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    std::FILE* stream() const { return file_; }
    std::string text() const;

private:
    std::FILE* file_;
};

std::uint32_t be32_at(const std::vector<std::uint8_t>& bytes, std::size_t offset);

// One entry of an image's file system table, as read back.
struct ReadEntry {
    bool directory;
    std::uint32_t name_offset;
    std::string name;
    std::uint32_t word1; // data offset, or parent
    std::uint32_t word2; // length, or next index
};

struct ReadImage {
    std::uint32_t program_image_offset;
    std::uint32_t fst_offset;
    std::uint32_t fst_size;
    std::uint32_t fst_max_size;
    std::vector<ReadEntry> entries;
    std::uint32_t string_table_size;
};

// Parses the header words and the file system table of an image.
ReadImage read_image(const std::vector<std::uint8_t>& image);

// The contents of a file named in the table.
std::vector<std::uint8_t> file_contents(const std::vector<std::uint8_t>& image, const ReadEntry& entry);

} // namespace kessra::testing
