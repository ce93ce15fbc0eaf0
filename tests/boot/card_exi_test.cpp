// The slot A driver (boot/hw/exi_card.c) against a model of the expansion
// interface and a card, built here from the documented commands: the
// console's register macro is pointed at the model, which carries out a
// transfer when the driver next touches a register after starting it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "boot/card_image.hpp"

namespace exi_model {
volatile std::uint32_t* reg(std::uint32_t address);
}

#define BOOT_HW_H // the model stands in for the console's registers
#define HW_REG32(a) (*exi_model::reg(a))
extern "C" {
#include "hw/exi_card.c"
#include "common/card_save.h"
}

namespace exi_model {

struct Card {
    std::vector<std::uint8_t> flash;
    bool present = true;
    bool stuck = false;                    // transfers never finish
    std::uint32_t drop_page = 0xFFFFFFFFu; // a page the card fails to program
    std::uint32_t busy = 0;                // status polls left while erasing
    std::vector<std::uint8_t> command;
    std::uint32_t read_at = 0;
    bool selected = false;
};

Card* card = nullptr;
std::uint32_t regs[5];

std::uint32_t decode(const std::vector<std::uint8_t>& c) {
    return (c[1] & 0x3Fu) << 17 | static_cast<std::uint32_t>(c[2]) << 9 | (c[3] & 3u) << 7 | (c[4] & 0x7Fu);
}

std::uint8_t next_read() {
    const auto& c = card->command;
    if (c.size() == 2 && c[0] == 0 && c[1] == 0) { // ID, 4 bytes
        const std::uint32_t id = static_cast<std::uint32_t>(card->flash.size() / (128 * 1024));
        return static_cast<std::uint8_t>(card->read_at++ == 3 ? id : 0);
    }
    if (c.size() == 2 && c[0] == 0x83) {
        const bool erasing = card->busy > 0;
        if (erasing) --card->busy;
        return static_cast<std::uint8_t>(erasing ? 0x80 : 0x01);
    }
    if (c.size() == 9 && c[0] == 0x52) return card->flash[(decode(c) + card->read_at++) % card->flash.size()];
    return 0xFF;
}

void end_command() {
    const auto& c = card->command;
    if (c.size() == 3 && c[0] == 0xF1) {
        const std::uint32_t at = (c[1] & 0x7Fu) << 17 | static_cast<std::uint32_t>(c[2]) << 9;
        std::fill_n(card->flash.begin() + at, 8192, 0xFF);
        card->busy = 3;
    }
    if (c.size() == 5 + 128 && c[0] == 0xF2 && decode(c) / 128 != card->drop_page)
        for (std::uint32_t i = 0; i < 128; ++i) card->flash[decode(c) + i] &= c[5 + i]; // programming clears bits
    card->command.clear();
    card->read_at = 0;
}

// Carries out what the driver asked for since it last touched a register.
void settle() {
    const bool selected = (regs[0] & 0x380u) == 0x80u;
    if (card->selected && !selected) end_command();
    card->selected = selected;
    if (!(regs[3] & 1u) || card->stuck) return;
    const std::uint32_t len = (regs[3] >> 4 & 3u) + 1u;
    const std::uint32_t rw = regs[3] >> 2 & 3u;
    if (card->present && selected) {
        if (rw == 1)
            for (std::uint32_t k = 0; k < len; ++k)
                card->command.push_back(static_cast<std::uint8_t>(regs[4] >> (24 - 8 * k)));
        if (rw == 0) {
            regs[4] = 0;
            for (std::uint32_t k = 0; k < len; ++k) regs[4] |= static_cast<std::uint32_t>(next_read()) << (24 - 8 * k);
        }
    } else if (rw == 0) {
        regs[4] = 0xFFFFFFFFu; // nothing drives the lines
    }
    regs[3] &= ~1u;
}

volatile std::uint32_t* reg(std::uint32_t address) {
    settle();
    const std::uint32_t index = (address - 0xCC006800u) / 4;
    return index < 5 ? &regs[index] : &regs[1];
}

// Puts a card (or none) in the slot for the length of a test.
struct Slot {
    Card model;
    explicit Slot(std::uint32_t mbit) {
        model.flash.assign(mbit * 128u * 1024u, 0xFF);
        card = &model;
        std::fill(std::begin(regs), std::end(regs), 0u);
    }
    ~Slot() { card = nullptr; }
};

} // namespace exi_model

namespace {

using exi_model::Slot;

TEST(CardExi, ProbeReadsTheSizeAndGivesUpOnAnEmptyOrSilentSlot) {
    struct Case {
        std::uint32_t mbit;
        bool present, stuck;
        std::uint32_t expect;
    } cases[] = {
        {4, true, false, 4}, {16, true, false, 16}, {128, true, false, 128}, {4, false, false, 0}, {4, true, true, 0}};
    for (const auto& c : cases) {
        Slot slot(c.mbit);
        slot.model.present = c.present;
        slot.model.stuck = c.stuck;
        EXPECT_EQ(hw_card_probe(), c.expect) << c.mbit << c.present << c.stuck;
        std::vector<std::uint8_t> block(CARD_BLOCK_SIZE);
        if (!c.present || c.stuck) {
            EXPECT_NE(hw_card_read_block(nullptr, 5, block.data()), 0);
        }
    }
}

TEST(CardExi, WritesEraseProgramAndCheckOneBlockOnly) {
    Slot slot(4);
    for (std::size_t i = 0; i < slot.model.flash.size(); ++i) slot.model.flash[i] = static_cast<std::uint8_t>(i * 3);
    const auto before = slot.model.flash;
    std::vector<std::uint8_t> data(CARD_BLOCK_SIZE), back(CARD_BLOCK_SIZE);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i ^ 0xA5);
    ASSERT_EQ(hw_card_write_block(nullptr, 7, data.data()), 0);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), slot.model.flash.begin() + 7 * CARD_BLOCK_SIZE));
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 7 * CARD_BLOCK_SIZE, slot.model.flash.begin()));
    EXPECT_TRUE(
        std::equal(before.begin() + 8 * CARD_BLOCK_SIZE, before.end(), slot.model.flash.begin() + 8 * CARD_BLOCK_SIZE));
    ASSERT_EQ(hw_card_read_block(nullptr, 7, back.data()), 0);
    EXPECT_EQ(back, data);

    slot.model.drop_page = (9 * CARD_BLOCK_SIZE + 5 * 128) / 128; // a page that does not take
    EXPECT_NE(hw_card_write_block(nullptr, 9, data.data()), 0);
}

TEST(CardExi, SavesRoundTripThroughTheFileSystem) {
    Slot slot(4);
    const auto image = card_test::formatted(4);
    slot.model.flash = image.bytes;
    const card_device dev = hw_card_device();
    auto fs = std::make_unique<card_fs>();
    card_save_name name;
    card_save_name_for(&name, "QKSA01", "BPRE", "POCKET GAME", "Pocket Game");
    std::vector<std::uint8_t> save(8192), back(8192);
    for (std::size_t i = 0; i < save.size(); ++i) save[i] = static_cast<std::uint8_t>(i * 11);
    ASSERT_EQ(card_save_store(fs.get(), &dev, &name, 0, save.data(), 8192), CARD_SAVE_DONE);
    std::uint32_t size = 0;
    ASSERT_EQ(card_save_load(fs.get(), &dev, &name, back.data(), 8192, &size), CARD_SAVE_DONE);
    EXPECT_EQ(size, 8192u);
    EXPECT_EQ(back, save);

    slot.model.present = false;
    EXPECT_EQ(card_save_store(fs.get(), &dev, &name, 0, save.data(), 8192), CARD_SAVE_NO_CARD);
}

} // namespace
