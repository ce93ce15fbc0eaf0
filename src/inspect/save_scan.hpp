// The save chip a ROM's save library names, found while the ROM's bytes pass
// by in pieces (inspect's -deep pass reads every file once).
#pragma once

#include <cstdint>
#include <span>

#include "emu/save.hpp"

namespace kessra {

class SaveScan {
public:
    // The next piece of the ROM; every piece but the last is a multiple of 4 bytes long.
    void feed(std::span<const std::uint8_t> piece);
    emu::SaveType found() const { return found_; }

private:
    // The end of the previous piece: an ID string may begin there.
    static constexpr std::size_t TAIL = 16;
    std::uint8_t tail_[TAIL] = {};
    std::size_t tail_length_ = 0;
    emu::SaveType found_ = emu::SaveType::None;
};

} // namespace kessra
