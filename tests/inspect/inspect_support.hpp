// Inspecting the images the tests build.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "disc_reader/byte_source.hpp"
#include "inspect/inspection.hpp"

namespace kessra::testing {

// Inspects the image file at `path` with the built-in payloads.
Inspection inspect_file(const std::string& path, bool deep = false);

// Fails the current test, listing the problems, unless the image at `path`
// is an image of this tool's layout found consistent.
void expect_inspected_consistent(const std::string& path);

// Reads through another source, with some bytes replaced: damage without
// copying a large image.
class PatchedSource final : public ByteSource {
public:
    explicit PatchedSource(ByteSource& base) : base_(base) {}
    void patch(std::uint64_t offset, const std::vector<std::uint8_t>& bytes);
    void patch_word(std::uint64_t offset, std::uint32_t value);
    std::uint64_t size() const override { return base_.size(); }
    const std::string& name() const override { return base_.name(); }

protected:
    Status read_inside(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    ByteSource& base_;
    std::map<std::uint64_t, std::uint8_t> bytes_;
};

} // namespace kessra::testing
