#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "format/disc_format.hpp"

namespace kessra::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    static std::mt19937_64 generator{std::random_device{}()};
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string stem = test != nullptr ? std::string(test->name()) : "kessra";
    std::replace(stem.begin(), stem.end(), '/', '_');
    path_ = fs::temp_directory_path() / ("kessra-test-" + stem + "-" + std::to_string(generator() % 1000000000));
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void write_sparse_file(const std::string& path, std::uint64_t size) {
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, size);
}

void write_rom(const std::string& path, std::uint64_t size, const std::string& title) {
    write_sparse_file(path, size);
    std::vector<char> head(4096);
    std::uint32_t state = 7;
    for (char c : title) state = state * 31 + static_cast<unsigned char>(c);
    for (auto& byte : head) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    std::fill(head.begin() + 0xA0, head.begin() + 0xAC, '\0');
    std::copy_n(title.begin(), std::min<std::size_t>(title.size(), 12), head.begin() + 0xA0);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.write(head.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(head.size(), size)));
    ASSERT_TRUE(file.good()) << path;
}

std::vector<std::uint8_t> read_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string read_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void write_text_file(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

void write_bytes_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

std::vector<std::uint8_t> write_earlier_image(const std::string& path, const std::string& label) {
    std::vector<std::uint8_t> header(HEADER_WORDS_OFFSET + 16, 0);
    std::copy_n(DISC_ID, sizeof DISC_ID - 1, header.begin() + DISC_ID_OFFSET);
    for (int i = 0; i < 4; ++i)
        header[DISC_MAGIC_OFFSET + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(DISC_MAGIC >> (24 - 8 * i));
    std::copy(label.begin(), label.end(), header.begin() + VOLUME_LABEL_OFFSET);
    write_bytes_file(path, header);
    return header;
}

std::vector<std::string> directory_names(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CapturedOutput::CapturedOutput() : file_(std::tmpfile()) {}

CapturedOutput::~CapturedOutput() {
    if (file_ != nullptr) std::fclose(file_);
}

std::string CapturedOutput::text() const {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, got);
    return text;
}

std::uint32_t be32_at(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return std::uint32_t{bytes.at(offset)} << 24 | std::uint32_t{bytes.at(offset + 1)} << 16 |
           std::uint32_t{bytes.at(offset + 2)} << 8 | std::uint32_t{bytes.at(offset + 3)};
}

ReadImage read_image(const std::vector<std::uint8_t>& image) {
    ReadImage read{};
    read.program_image_offset = be32_at(image, 0x420);
    read.fst_offset = be32_at(image, 0x424);
    read.fst_size = be32_at(image, 0x428);
    read.fst_max_size = be32_at(image, 0x42C);
    const std::uint32_t count = be32_at(image, read.fst_offset + 8);
    const std::size_t strings = read.fst_offset + std::size_t{count} * 12;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = read.fst_offset + std::size_t{i} * 12;
        const std::uint32_t word0 = be32_at(image, at);
        ReadEntry entry{(word0 >> 24) == 1, word0 & 0xFFFFFF, {}, be32_at(image, at + 4), be32_at(image, at + 8)};
        if (i != 0) {
            for (std::size_t c = strings + entry.name_offset; image.at(c) != 0; ++c) {
                entry.name += static_cast<char>(image[c]);
            }
        }
        read.entries.push_back(entry);
    }
    read.string_table_size = read.fst_offset + read.fst_size - static_cast<std::uint32_t>(strings);
    return read;
}

std::vector<std::uint8_t> file_contents(const std::vector<std::uint8_t>& image, const ReadEntry& entry) {
    const auto begin = image.begin() + static_cast<std::ptrdiff_t>(entry.word1);
    return {begin, begin + static_cast<std::ptrdiff_t>(entry.word2)};
}

} // namespace kessra::testing
