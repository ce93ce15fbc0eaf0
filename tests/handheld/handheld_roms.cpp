#include "handheld/handheld_roms.hpp"

#include <initializer_list>
#include <iterator>
#include <string>

namespace kessra::testing {

namespace {

constexpr std::size_t CODE_OFFSET = 0xC0; // right after the cartridge header
constexpr std::size_t ROM_SIZE = 0x400;

// The display in mode 3 (one 15-bit colour a pixel, from 0x06000000) with
// BG2 on; r0 is left at 0x04000000.
constexpr std::uint32_t MODE_3_ON[] = {
    0xE3A00301, // mov   r0, #0x04000000
    0xE3A01B01, // mov   r1, #0x400
    0xE3811003, // orr   r1, r1, #3         ; DISPCNT: mode 3, BG2 on
    0xE1C010B0, // strh  r1, [r0]
};

// A cartridge whose first word branches past the header, where MODE_3_ON and
// then `code` follow.
std::vector<std::uint8_t> cartridge(std::initializer_list<std::uint32_t> code) {
    std::vector<std::uint8_t> rom(ROM_SIZE);
    auto put = [&rom](std::size_t at, std::uint32_t word) {
        for (int i = 0; i < 4; ++i) rom[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(word >> (8 * i));
    };
    put(0, 0xEA00002E); // b 0xC0
    const std::string title = "KESSRA TEST";
    for (std::size_t i = 0; i < title.size(); ++i) rom[0xA0 + i] = static_cast<std::uint8_t>(title[i]);
    rom[0xB2] = 0x96; // the fixed value of the header
    std::uint8_t check = 0;
    for (std::size_t i = 0xA0; i < 0xBD; ++i) check = static_cast<std::uint8_t>(check - rom[i]);
    rom[0xBD] = static_cast<std::uint8_t>(check - 0x19);
    std::vector<std::uint32_t> words(std::begin(MODE_3_ON), std::end(MODE_3_ON));
    words.insert(words.end(), code);
    std::size_t at = CODE_OFFSET;
    for (const std::uint32_t word : words) {
        put(at, word);
        at += 4;
    }
    return rom;
}

} // namespace

std::vector<std::uint8_t> painting_rom() {
    return cartridge({
        0xE3A00406, // mov   r0, #0x06000000
        0xE3A0101F, // mov   r1, #0x1F
        0xE3811C0D, // orr   r1, r1, #0xD00     ; PAINT_COLOUR
        0xE1811801, // orr   r1, r1, r1, lsl #16
        0xE3A02C4B, // mov   r2, #19200         ; 240 x 160 pixels, two a word
        0xE4801004, // loop: str r1, [r0], #4
        0xE2522001, // subs  r2, r2, #1
        0x1AFFFFFC, // bne   loop
        0xE3A00406, // mov   r0, #0x06000000
        0xE3A04C05, // mov   r4, #0x500
        0xE38440AE, // orr   r4, r4, #0xAE      ; (3 * 240 + 7) * 2
        0xE3A03B1F, // mov   r3, #0x7C00        ; DOT_COLOUR
        0xE18030B4, // strh  r3, [r0, r4]
        0xEAFFFFFE, // end:  b end
    });
}

std::vector<std::uint8_t> keys_rom() {
    return cartridge({
        0xE2803E13, // add   r3, r0, #0x130     ; KEYINPUT
        0xE3A02406, // mov   r2, #0x06000000
        0xE1D310B0, // loop: ldrh r1, [r3]
        0xE1C210B0, // strh  r1, [r2]
        0xEAFFFFFC, // b     loop
    });
}

} // namespace kessra::testing
