#include "inspect/inspect_support.hpp"

#include <gtest/gtest.h>

#include "format/be32.hpp"

namespace kessra::testing {

Inspection inspect_file(const std::string& path, bool deep) {
    Result<std::unique_ptr<ByteSource>> source = open_file_source(path);
    if (!source) {
        ADD_FAILURE() << source.status.message;
        return {};
    }
    return inspect_image(*source.value, builtin_payloads(), deep);
}

void expect_inspected_consistent(const std::string& path) {
    const Inspection found = inspect_file(path);
    std::string problems;
    for (const std::string& line : found.problems) problems += "\n  " + line;
    EXPECT_TRUE(found.this_layout) << path << ": " << found.layout_note;
    EXPECT_TRUE(found.consistent()) << path << ":" << problems;
}

void PatchedSource::patch(std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes_[offset + i] = bytes[i];
}

void PatchedSource::patch_word(std::uint64_t offset, std::uint32_t value) {
    const auto word = be32(value);
    patch(offset, {word.begin(), word.end()});
}

Status PatchedSource::read_inside(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (Status status = base_.read(offset, out); !status) return status;
    for (auto it = bytes_.lower_bound(offset); it != bytes_.end() && it->first < offset + out.size(); ++it) {
        out[static_cast<std::size_t>(it->first - offset)] = it->second;
    }
    return Status::success();
}

} // namespace kessra::testing
