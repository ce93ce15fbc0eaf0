// A memory card in memory for the card tests: formatted here from the
// card's layout (not through the code under test), with a write counter
// that can cut the power before any block write.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" {
#include "common/card_fs.h"
}

namespace card_test {

constexpr std::uint32_t kBlock = CARD_BLOCK_SIZE;

inline void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

// The card's checksum pair, written out from its definition.
inline void seal(std::uint8_t* summed, std::size_t len, std::uint8_t* out) {
    std::uint32_t sum = 0, inverse = 0;
    for (std::size_t i = 0; i < len; i += 2) {
        const std::uint32_t w = static_cast<std::uint32_t>(summed[i] << 8 | summed[i + 1]);
        sum += w;
        inverse += w ^ 0xFFFFu;
    }
    sum &= 0xFFFFu;
    inverse &= 0xFFFFu;
    put16(out, static_cast<std::uint16_t>(sum == 0xFFFFu ? 0 : sum));
    put16(out + 2, static_cast<std::uint16_t>(inverse == 0xFFFFu ? 0 : inverse));
}

struct MemCard {
    std::vector<std::uint8_t> bytes;
    int writes = 0;
    int cut_after = -1; // block writes allowed before the power goes (-1: never)
    bool present = true;

    std::uint8_t* block(std::uint32_t b) { return bytes.data() + b * kBlock; }

    static int read(void* ctx, std::uint32_t b, std::uint8_t* dst) {
        auto* card = static_cast<MemCard*>(ctx);
        if (!card->present || (b + 1) * kBlock > card->bytes.size()) return -1;
        std::memcpy(dst, card->block(b), kBlock);
        return 0;
    }
    static int write(void* ctx, std::uint32_t b, const std::uint8_t* src) {
        auto* card = static_cast<MemCard*>(ctx);
        if (!card->present || (b + 1) * kBlock > card->bytes.size()) return -1;
        if (card->cut_after >= 0 && card->writes >= card->cut_after) {
            if (card->writes == card->cut_after) std::memset(card->block(b), 0xFF, kBlock); // erased, not programmed
            ++card->writes;
            card->present = false; // the power is gone
            return -1;
        }
        ++card->writes;
        std::memcpy(card->block(b), src, kBlock);
        return 0;
    }
    card_device device() { return card_device{this, &MemCard::read, &MemCard::write}; }

    void seal_dir(std::uint32_t b, std::uint16_t counter) {
        put16(block(b) + 0x1FFA, counter);
        seal(block(b), 0x1FFC, block(b) + 0x1FFC);
    }
    void seal_bat(std::uint32_t b, std::uint16_t counter) {
        put16(block(b) + 4, counter);
        seal(block(b) + 4, kBlock - 4, block(b));
    }
};

// A freshly formatted card of `mbit` megabits: empty directory and BAT,
// both copies with counter 0.
inline MemCard formatted(std::uint16_t mbit) {
    MemCard card;
    const std::uint32_t blocks = mbit * 16u;
    card.bytes.assign(blocks * kBlock, 0xFF);
    std::uint8_t* header = card.block(0);
    std::memset(header, 0, 0x26);
    std::memcpy(header, "serial-of-card", 14);
    put16(header + 0x22, mbit);
    seal(header, 0x1FC, header + 0x1FC);
    for (std::uint32_t b : {1u, 2u}) card.seal_dir(b, 0);
    for (std::uint32_t b : {3u, 4u}) {
        std::memset(card.block(b), 0, kBlock);
        put16(card.block(b) + 6, static_cast<std::uint16_t>(blocks - 5));
        put16(card.block(b) + 8, 4);
        card.seal_bat(b, 0);
    }
    return card;
}

// Puts another program's file on the card, in both table copies, over the
// blocks given (in order), filled from `seed`.
inline void add_other_file(MemCard& card, int slot, const std::vector<std::uint16_t>& blocks, std::uint8_t seed) {
    for (std::uint32_t copy : {1u, 2u}) {
        std::uint8_t* e = card.block(copy) + slot * 64;
        std::memset(e, 0, 64);
        std::memcpy(e, "QOTH77", 6);
        e[6] = 0xFF;
        std::memcpy(e + 8, "other program's save", 20);
        put16(e + 0x36, blocks.front());
        put16(e + 0x38, static_cast<std::uint16_t>(blocks.size()));
        card.seal_dir(copy, 0);
    }
    for (std::uint32_t copy : {3u, 4u}) {
        for (std::size_t i = 0; i < blocks.size(); ++i)
            put16(card.block(copy) + 2 * blocks[i], i + 1 < blocks.size() ? blocks[i + 1] : 0xFFFF);
        put16(card.block(copy) + 6, static_cast<std::uint16_t>(card.bytes.size() / kBlock - 5 - blocks.size()));
        card.seal_bat(copy, 0);
    }
    for (std::size_t i = 0; i < blocks.size(); ++i)
        for (std::uint32_t k = 0; k < kBlock; ++k)
            card.block(blocks[i])[k] = static_cast<std::uint8_t>(seed + i * 7 + k * 13);
}

} // namespace card_test
