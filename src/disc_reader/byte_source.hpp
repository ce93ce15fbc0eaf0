// Where an image's bytes come from: a file, or a block of memory (tests and
// fuzzing). Every read names an exact range; a range that is not wholly
// inside the source is refused before anything is read.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.hpp"

namespace kessra {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // The name that messages show.
    virtual const std::string& name() const = 0;
    // Fills `out` with the bytes from `offset`; fails when the range passes
    // the end of the source or the read fails.
    Status read(std::uint64_t offset, std::span<std::uint8_t> out);

protected:
    // Called only with a range inside the source.
    virtual Status read_inside(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// True when [offset, offset + length) lies inside a source of `size` bytes;
// never overflows.
inline bool range_inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

// Reads the caller's bytes; they must outlive the source.
class MemorySource final : public ByteSource {
public:
    MemorySource(std::span<const std::uint8_t> bytes, std::string name = "(memory)")
        : bytes_(bytes), name_(std::move(name)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    const std::string& name() const override { return name_; }

protected:
    Status read_inside(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> bytes_;
    std::string name_;
};

// Opens `path` for reading; the message names `path` when it cannot be opened
// or is not a regular file.
Result<std::unique_ptr<ByteSource>> open_file_source(const std::string& path);

// The bytes of a range, into a buffer of its own; `limit` bounds what may be
// allocated, so a length read from the image cannot ask for more.
Result<std::vector<std::uint8_t>> read_range(ByteSource& source, std::uint64_t offset, std::uint64_t length,
                                             std::uint64_t limit);

std::string hex_offset(std::uint64_t value);

// Text read from an image, safe to show: printable ASCII as is, other bytes
// as \xNN, a backslash doubled.
std::string escaped_text(std::string_view bytes);

} // namespace kessra
