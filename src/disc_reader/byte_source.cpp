#include "disc_reader/byte_source.hpp"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>

#include "platform/read_file.hpp"

namespace kessra {

namespace {

class FileSource final : public ByteSource {
public:
    FileSource(ReadFile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    const std::string& name() const override { return file_.file.name; }

protected:
    Status read_inside(std::uint64_t offset, std::span<std::uint8_t> out) override {
        return read_file_at(file_, offset, out);
    }

private:
    ReadFile file_;
    std::uint64_t size_;
};

std::string past_end_line(const ByteSource& source, std::uint64_t offset, std::uint64_t length) {
    return source.name() + ": " + std::to_string(length) + " bytes at " + hex_offset(offset) +
           " pass the end of the image (" + std::to_string(source.size()) + " bytes)";
}

} // namespace

std::string hex_offset(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIX64, value);
    return text;
}

Status ByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (!range_inside(offset, out.size(), size())) return Status::failure(past_end_line(*this, offset, out.size()));
    if (out.empty()) return Status::success();
    return read_inside(offset, out);
}

Status MemorySource::read_inside(std::uint64_t offset, std::span<std::uint8_t> out) {
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return Status::success();
}

Result<std::unique_ptr<ByteSource>> open_file_source(const std::string& path) {
    Result<ReadFile> file = open_read_file(path);
    if (!file) return {file.status, nullptr};
    const std::uint64_t size = file.value.size;
    std::unique_ptr<ByteSource> source = std::make_unique<FileSource>(std::move(file.value), size);
    return success(std::move(source));
}

Result<std::vector<std::uint8_t>> read_range(ByteSource& source, std::uint64_t offset, std::uint64_t length,
                                             std::uint64_t limit) {
    if (length > limit) {
        return {Status::failure(source.name() + ": " + std::to_string(length) + " bytes at " + hex_offset(offset) +
                                " are more than the " + std::to_string(limit) + " this reader accepts"),
                {}};
    }
    // Checked before the buffer is made, not only by the read.
    if (!range_inside(offset, length, source.size()))
        return {Status::failure(past_end_line(source, offset, length)), {}};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (Status status = source.read(offset, bytes); !status) return {status, {}};
    return success(std::move(bytes));
}

std::string escaped_text(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

} // namespace kessra
