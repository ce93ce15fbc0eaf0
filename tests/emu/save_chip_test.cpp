// The save chips as a game drives them: through the bus at 0x0E000000, and
// the EEPROM by the bit streams DMA 3 carries.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "emu/bus.hpp"
#include "emu/gba.hpp"

namespace {

using emu::Access;
using emu::SaveType;

std::vector<uint8_t> rom_with(const std::string& id, uint32_t at) {
    std::vector<uint8_t> rom(0x1000, 0);
    std::memcpy(rom.data() + at, id.data(), id.size());
    return rom;
}

struct Machine {
    std::vector<uint8_t> rom;
    std::unique_ptr<emu::Gba> gba = std::make_unique<emu::Gba>();
    explicit Machine(const std::string& id) : rom(rom_with(id, 0x200)) {
        EXPECT_TRUE(emu::gba_init(*gba, rom.data(), static_cast<uint32_t>(rom.size())));
    }
    uint8_t read(uint32_t offset) { return emu::bus_read8(*gba, 0x0E000000 + offset, Access::NonSeq); }
    void write(uint32_t offset, uint8_t v) { emu::bus_write8(*gba, 0x0E000000 + offset, v, Access::NonSeq); }
    void flash_command(uint8_t command) {
        write(0x5555, 0xAA);
        write(0x2AAA, 0x55);
        write(0x5555, command);
    }
    void flash_program(uint32_t offset, uint8_t v) {
        flash_command(0xA0);
        write(offset, v);
    }
};

TEST(SaveDetect, FindsTheLibraryStringAtAWordBoundary) {
    struct Case {
        const char* id;
        uint32_t at;
        SaveType expected;
    };
    const Case cases[] = {
        {"SRAM_V113", 0x200, SaveType::Sram},        {"SRAM_F_V100", 0x204, SaveType::Sram},
        {"FLASH_V126", 0x400, SaveType::Flash64},    {"FLASH512_V131", 0x208, SaveType::Flash64},
        {"FLASH1M_V103", 0x20C, SaveType::Flash128}, {"EEPROM_V124", 0xFF0, SaveType::Eeprom},
        {"FLASH1M_V103", 0x202, SaveType::None},     {"EEPROM_", 0x200, SaveType::None},
        {"FLASH1M_V", 0xFF8, SaveType::None}, // runs past the end of the ROM
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> rom(0x1000, 0);
        const size_t room = std::min<size_t>(std::strlen(c.id), rom.size() - c.at);
        std::memcpy(rom.data() + c.at, c.id, room);
        EXPECT_EQ(emu::save_detect(rom.data(), static_cast<uint32_t>(rom.size())), c.expected)
            << c.id << " at " << c.at;
    }
}

TEST(SaveSram, KeepsBytesAcrossItsMirrorsAndRepeatsThemOnWideReads) {
    Machine m("SRAM_V113");
    EXPECT_EQ(emu::save_size(*m.gba), 0x8000u);
    EXPECT_EQ(m.read(0x10), 0xFF); // a new chip reads erased
    m.write(0x10, 0x5A);
    m.write(0x7FFF, 0x77);
    EXPECT_EQ(m.read(0x10), 0x5A);
    EXPECT_EQ(m.read(0x8010), 0x5A);
    EXPECT_EQ(emu::bus_read32(*m.gba, 0x0E000010, Access::NonSeq), 0x5A5A5A5Au);
    EXPECT_EQ(m.gba->save.data[0x7FFF], 0x77);
    EXPECT_TRUE(m.gba->save.dirty);
}

TEST(SaveFlash, AnswersItsIdOnlyInIdMode) {
    struct Case {
        const char* id;
        uint8_t maker, device;
    };
    for (const Case& c : {Case{"FLASH512_V131", 0x32, 0x1B}, Case{"FLASH1M_V103", 0xC2, 0x09}}) {
        Machine m(c.id);
        m.gba->save.data[0] = 0x11;
        m.flash_command(0x90);
        EXPECT_EQ(m.read(0), c.maker) << c.id;
        EXPECT_EQ(m.read(1), c.device) << c.id;
        m.flash_command(0xF0);
        EXPECT_EQ(m.read(0), 0x11) << c.id;
    }
}

TEST(SaveFlash, WritesOnlyAfterTheFullSequenceAndOnlyClearsBits) {
    Machine m("FLASH_V126");
    m.flash_program(0x1234, 0x3C);
    EXPECT_EQ(m.read(0x1234), 0x3C);
    m.flash_program(0x1234, 0xF0); // not erased first: only the 1s that are 1 in both stay
    EXPECT_EQ(m.read(0x1234), 0x30);
    // A sequence broken by a write to the wrong address programs nothing.
    m.write(0x5555, 0xAA);
    m.write(0x2AAB, 0x55);
    m.write(0x5555, 0xA0);
    m.write(0x2000, 0x00);
    EXPECT_EQ(m.read(0x2000), 0xFF);
    EXPECT_FALSE(emu::save_busy(*m.gba));
    m.write(0x5555, 0xAA);
    EXPECT_TRUE(emu::save_busy(*m.gba)); // half a command: not a moment to store the contents
}

TEST(SaveFlash, ErasesOneSectorOrTheWholeChip) {
    Machine m("FLASH_V126");
    for (uint32_t offset : {0x0FFFu, 0x1000u, 0x1FFFu, 0x2000u}) m.flash_program(offset, 0);
    m.flash_command(0x80);
    m.write(0x5555, 0xAA);
    m.write(0x2AAA, 0x55);
    m.write(0x1000, 0x30);
    EXPECT_EQ(m.read(0x0FFF), 0x00);
    EXPECT_EQ(m.read(0x1000), 0xFF);
    EXPECT_EQ(m.read(0x1FFF), 0xFF);
    EXPECT_EQ(m.read(0x2000), 0x00);
    m.flash_command(0x80);
    m.flash_command(0x10);
    EXPECT_EQ(m.read(0x0FFF), 0xFF);
    EXPECT_EQ(m.read(0x2000), 0xFF);
}

TEST(SaveFlash, TheLargeChipSwitchesBanksAndTheSmallOneDoesNot) {
    Machine big("FLASH1M_V103");
    big.flash_program(0x40, 0x01);
    big.flash_command(0xB0);
    big.write(0, 1);
    EXPECT_EQ(big.read(0x40), 0xFF);
    big.flash_program(0x40, 0x02);
    EXPECT_EQ(big.gba->save.data[0x40], 0x01);
    EXPECT_EQ(big.gba->save.data[0x10040], 0x02);
    big.flash_command(0xB0);
    big.write(0, 0);
    EXPECT_EQ(big.read(0x40), 0x01);

    Machine small("FLASH512_V131");
    small.flash_command(0xB0);
    small.write(0, 1); // no bank command on this chip: an ordinary (ignored) write
    small.flash_program(0x40, 0x02);
    EXPECT_EQ(small.gba->save.data[0x40], 0x02);
}

// The bits of a request as DMA 3 would carry them, one per halfword.
std::vector<uint16_t> request(bool read, uint32_t address, uint32_t width, uint64_t data) {
    std::vector<uint16_t> bits{1, static_cast<uint16_t>(read ? 1 : 0)};
    for (uint32_t i = width; i-- > 0;) bits.push_back(static_cast<uint16_t>(address >> i & 1));
    if (!read) {
        for (int i = 63; i >= 0; --i) bits.push_back(static_cast<uint16_t>(data >> i & 1));
    }
    bits.push_back(0);
    return bits;
}

void send(emu::Gba& gba, const std::vector<uint16_t>& bits) {
    emu::save_eeprom_dma(gba, static_cast<uint32_t>(bits.size()));
    for (uint16_t b : bits) emu::save_eeprom_write(gba, b);
    emu::save_eeprom_dma(gba, 0);
}

uint64_t receive(emu::Gba& gba) {
    uint64_t value = 0;
    for (int i = 0; i < 68; ++i) {
        const uint16_t bit = emu::save_eeprom_read(gba);
        if (i < 4) EXPECT_EQ(bit, 0) << "leading bit " << i;
        else value = value << 1 | bit;
    }
    return value;
}

TEST(SaveEeprom, TheAddressWidthOfTheFirstRequestSetsTheSize) {
    struct Case {
        uint32_t width;
        uint32_t address;
        uint32_t size;
        uint32_t offset; // where the block lands in the contents
    };
    for (const Case& c : {Case{6, 0x3F, 0x200, 0x1F8}, Case{14, 0x3C05, 0x2000, 0x28}}) {
        Machine m("EEPROM_V124");
        EXPECT_EQ(emu::save_size(*m.gba), 0u);
        const uint64_t block = 0x0123456789ABCDEFull;
        send(*m.gba, request(false, c.address, c.width, block));
        EXPECT_EQ(emu::save_size(*m.gba), c.size) << c.width;
        EXPECT_EQ(emu::save_eeprom_read(*m.gba), 1); // ready
        EXPECT_EQ(m.gba->save.data[c.offset], 0x01) << c.width;
        EXPECT_EQ(m.gba->save.data[c.offset + 7], 0xEF) << c.width;
        send(*m.gba, request(true, c.address, c.width, 0));
        EXPECT_TRUE(emu::save_busy(*m.gba));
        EXPECT_EQ(receive(*m.gba), block) << c.width;
        EXPECT_FALSE(emu::save_busy(*m.gba));
    }
}

TEST(SaveContents, LoadsOnlyAFileOfTheChipsSize) {
    Machine sram("SRAM_V113");
    std::vector<uint8_t> file(0x8000, 0x42);
    EXPECT_FALSE(emu::save_load(*sram.gba, file.data(), 0x7FFF));
    EXPECT_TRUE(emu::save_load(*sram.gba, file.data(), 0x8000));
    EXPECT_EQ(sram.read(0x123), 0x42);
    EXPECT_FALSE(sram.gba->save.dirty);

    Machine eeprom("EEPROM_V124");
    std::vector<uint8_t> big(0x2000, 0);
    big[0x28] = 0x99;
    EXPECT_TRUE(emu::save_load(*eeprom.gba, big.data(), 0x2000));
    EXPECT_EQ(eeprom.gba->save.type, SaveType::Eeprom8K);
    send(*eeprom.gba, request(true, 5, 14, 0));
    EXPECT_EQ(receive(*eeprom.gba) >> 56, 0x99u);

    Machine none("no id here");
    EXPECT_FALSE(emu::save_load(*none.gba, file.data(), 0x8000));
    EXPECT_EQ(none.read(0), 0xFF);
}

} // namespace
