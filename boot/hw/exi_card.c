/* The memory card in slot A over the expansion interface, in immediate
   mode (up to 4 bytes a transfer, no DMA, no interrupts).

   Register and command facts, from a public hardware description of the
   console (a community-written reference of its registers and devices):
     - channel 0 registers at 0xCC006800: +0x00 parameter register
       (bits 7-9 chip select, one bit per device; bits 4-6 clock, 4 for
       16 MHz), +0x0C control (bit 0 start, cleared when done; bit 1 DMA;
       bits 2-3 0 read, 1 write; bits 4-5 length - 1), +0x10 immediate
       data, sent and received most significant byte first;
     - slot A is channel 0, device 0, usually clocked at 16 MHz;
     - device ID: write 0x0000, read 4 bytes; memory cards answer their
       size in megabits (0x04 .. 0x80);
     - card status: write 0x83 0x00, read 1 byte; bit 0 ready, bit 7 erase
       in progress; 0x89 clears the status;
     - read: 0x52, four address bytes (offset >> 17 & 0x3F, >> 9 & 0xFF,
       >> 7 & 3, & 0x7F), four zero bytes, then up to 512 bytes;
     - sector erase (8 KiB): 0xF1, offset >> 17 & 0x7F, >> 9 & 0xFF; the
       card is busy until status bit 7 clears;
     - page program (128 bytes): wait for status bit 0, then 0xF2, the
       four address bytes and 128 bytes.
   Cards made by the console's maker are said to need an unlock exchange
   before they accept reads and writes; that exchange is not documented
   there and is not done here (see docs/memory-card.md). */
#include "exi_card.h"

#include "exi.h"

#define SELECT_CARD (1u << 7 | 4u << 4) /* device 0, 16 MHz */
#define TRANSFER_SPINS 100000u          /* one transfer takes a few microseconds */
#define READY_POLLS 200000u             /* page programs and erases, with margin */
#define CMD_STATUS 0x83u
#define CMD_CLEAR_STATUS 0x89u
#define CMD_READ 0x52u
#define CMD_ERASE_SECTOR 0xF1u
#define CMD_PROGRAM_PAGE 0xF2u
#define STATUS_READY 0x01u
#define STATUS_ERASING 0x80u
#define READ_CHUNK 512u

/* One immediate transfer of len (1..4) bytes; 0 when it timed out. */
static int transfer(uint32_t* data, uint32_t len, uint32_t control) {
    return hw_exi_transfer(data, len, control, TRANSFER_SPINS);
}

static int put(uint32_t bytes, uint32_t len) {
    uint32_t data = bytes << (8u * (4u - len)); /* left-aligned */
    return transfer(&data, len, EXI_WRITE);
}

static void select_card(void) { HW_REG32(EXI_PARAM) = SELECT_CARD; }

static void deselect(void) { HW_REG32(EXI_PARAM) = 0; }

/* The four address bytes of a card offset, as one word. */
static uint32_t address(uint32_t offset) {
    return (offset >> 17 & 0x3Fu) << 24 | (offset >> 9 & 0xFFu) << 16 | (offset >> 7 & 3u) << 8 | (offset & 0x7Fu);
}

/* The status byte, or -1 when the card does not answer. */
static int status(void) {
    uint32_t data = 0;
    int ok;
    select_card();
    ok = put(CMD_STATUS << 8, 2) && transfer(&data, 1, EXI_READ);
    deselect();
    return ok ? (int)(data >> 24) : -1;
}

static int simple_command(uint32_t command) {
    int ok;
    select_card();
    ok = put(command, 1);
    deselect();
    return ok;
}

/* Waits until (status & mask) == want; 0 on timeout or no answer. */
static int wait_status(uint32_t mask, uint32_t want) {
    uint32_t polls;
    for (polls = 0; polls < READY_POLLS; ++polls) {
        const int s = status();
        if (s < 0) return 0;
        if (((uint32_t)s & mask) == want) return 1;
    }
    return 0;
}

uint32_t hw_card_probe(void) {
    uint32_t id = 0;
    int ok;
    select_card();
    ok = put(0, 2) && transfer(&id, 4, EXI_READ);
    deselect();
    if (!ok) return 0;
    id &= 0xFFu;
    if (id < 4u || id > 128u || (id & (id - 1u)) != 0) return 0;
    return id;
}

/* Reads 512 bytes at offset into dst, or, with dst NULL, compares them
   with expect; 0 on a failed transfer or a difference. */
static int read_chunk(uint32_t offset, uint8_t* dst, const uint8_t* expect) {
    uint32_t i, k, data;
    int ok;
    select_card();
    ok = put(CMD_READ << 24 | address(offset) >> 8, 4) && put(address(offset) & 0xFFu, 1) && put(0, 4);
    for (i = 0; ok && i < READ_CHUNK; i += 4) {
        ok = transfer(&data, 4, EXI_READ);
        for (k = 0; ok && k < 4; ++k) {
            const uint8_t byte = (uint8_t)(data >> (24u - 8u * k));
            if (dst) dst[i + k] = byte;
            else ok = expect[i + k] == byte;
        }
    }
    deselect();
    return ok;
}

/* An empty slot reads as all ones: every block access starts by asking
   for the card's ID. */
int hw_card_read_block(void* ctx, uint32_t block, uint8_t* dst) {
    uint32_t k;
    (void)ctx;
    if (hw_card_probe() == 0) return -1;
    for (k = 0; k < CARD_BLOCK_SIZE; k += READ_CHUNK)
        if (!read_chunk(block * CARD_BLOCK_SIZE + k, dst + k, 0)) return -1;
    return 0;
}

static int erase_sector(uint32_t offset) {
    int ok;
    if (!simple_command(CMD_CLEAR_STATUS)) return 0;
    select_card();
    ok = put((uint32_t)CMD_ERASE_SECTOR << 16 | (offset >> 17 & 0x7Fu) << 8 | (offset >> 9 & 0xFFu), 3);
    deselect();
    return ok && wait_status(STATUS_ERASING, 0);
}

static int program_page(uint32_t offset, const uint8_t* src) {
    uint32_t i;
    int ok;
    if (!wait_status(STATUS_READY, STATUS_READY)) return 0;
    select_card();
    ok = put(CMD_PROGRAM_PAGE << 24 | address(offset) >> 8, 4) && put(address(offset) & 0xFFu, 1);
    for (i = 0; ok && i < CARD_PAGE_SIZE; i += 4)
        ok = put((uint32_t)src[i] << 24 | (uint32_t)src[i + 1] << 16 | (uint32_t)src[i + 2] << 8 | src[i + 3], 4);
    deselect();
    return ok;
}

int hw_card_write_block(void* ctx, uint32_t block, const uint8_t* src) {
    const uint32_t base = block * CARD_BLOCK_SIZE;
    uint32_t k;
    (void)ctx;
    if (hw_card_probe() == 0 || !erase_sector(base)) return -1;
    for (k = 0; k < CARD_BLOCK_SIZE; k += CARD_PAGE_SIZE)
        if (!program_page(base + k, src + k)) return -1;
    if (!wait_status(STATUS_READY, STATUS_READY)) return -1;
    for (k = 0; k < CARD_BLOCK_SIZE; k += READ_CHUNK) /* read back */
        if (!read_chunk(base + k, 0, src + k)) return -1;
    return 0;
}

card_device hw_card_device(void) {
    card_device dev;
    dev.ctx = 0;
    dev.read_block = hw_card_read_block;
    dev.write_block = hw_card_write_block;
    return dev;
}
