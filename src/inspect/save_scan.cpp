#include "inspect/save_scan.hpp"

#include <algorithm>
#include <array>

namespace kessra {

void SaveScan::feed(std::span<const std::uint8_t> piece) {
    if (found_ != emu::SaveType::None || piece.empty()) return;
    // Across the seam: the old tail (a multiple of 4 bytes) and the piece's head.
    std::array<std::uint8_t, 2 * TAIL> seam{};
    const std::size_t head = std::min(piece.size(), TAIL);
    std::copy_n(tail_, tail_length_, seam.begin());
    std::copy_n(piece.begin(), head, seam.begin() + static_cast<std::ptrdiff_t>(tail_length_));
    found_ = emu::save_detect(seam.data(), static_cast<std::uint32_t>(tail_length_ + head));
    if (found_ == emu::SaveType::None)
        found_ = emu::save_detect(piece.data(), static_cast<std::uint32_t>(piece.size()));
    // The last TAIL bytes read so far, however small the pieces.
    const std::size_t joined = tail_length_ + head;
    const std::size_t keep = std::min(joined, TAIL);
    if (piece.size() >= TAIL) {
        std::copy_n(piece.end() - static_cast<std::ptrdiff_t>(TAIL), TAIL, tail_);
    } else {
        std::copy_n(seam.begin() + static_cast<std::ptrdiff_t>(joined - keep), keep, tail_);
    }
    tail_length_ = piece.size() >= TAIL ? TAIL : keep;
}

} // namespace kessra
