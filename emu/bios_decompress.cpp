// The decompression system calls: BitUnPack, LZ77, Huffman, run-length and
// the difference filters. Source and destination are read and written through
// the bus ("WRAM" variants in bytes, "VRAM" variants in halfwords). Every loop
// is bounded by the stream's 24-bit size, whatever the data says.
#include "emu/bus.hpp"
#include "emu/gba.hpp"

namespace emu {
namespace {

uint8_t read8(Gba& gba, uint32_t& src) { return bus_read8(gba, src++, Access::NonSeq); }

// The destination of the byte-producing calls. The "VRAM" variants keep an
// even byte until its odd partner arrives and write the pair as a halfword.
struct ByteSink {
    uint32_t dst;
    uint32_t pos;
    bool byte_writes;
    uint8_t pending;
};

void put(Gba& gba, ByteSink& out, uint8_t value) {
    if (out.byte_writes) {
        bus_write8(gba, out.dst + out.pos, value, Access::NonSeq);
    } else if ((out.pos & 1) != 0) {
        bus_write16(gba, out.dst + out.pos - 1, static_cast<uint16_t>(out.pending | value << 8), Access::NonSeq);
    } else {
        out.pending = value;
    }
    ++out.pos;
    gba.cycles += 12; // the decoding loop's instructions per byte
}

// A byte already written, `distance` bytes back, read from memory (so the
// "VRAM" variant sees the old contents where its pending byte is not yet written).
uint8_t written(Gba& gba, const ByteSink& out, uint32_t distance) {
    const uint32_t address = out.dst + out.pos - distance;
    if (out.byte_writes) return bus_read8(gba, address, Access::NonSeq);
    return static_cast<uint8_t>(bus_read16(gba, address & ~1u, Access::NonSeq) >> ((address & 1) * 8));
}

// The 32-bit header all the streams start with: bits 8-31 the output size.
bool read_header(Gba& gba, uint32_t& src, uint32_t& size) {
    if (!bios_readable_source(src)) return false;
    size = bus_read32(gba, src, Access::NonSeq) >> 8;
    src += 4;
    gba.cycles += 20;
    return true;
}

} // namespace

void bios_bit_unpack(Gba& gba, uint32_t src, uint32_t dst, uint32_t info) {
    if (!bios_readable_source(src)) return;
    const uint32_t length = bus_read16(gba, info, Access::NonSeq);
    const uint32_t src_width = bus_read8(gba, info + 2, Access::NonSeq);
    const uint32_t dst_width = bus_read8(gba, info + 3, Access::NonSeq);
    const uint32_t offset_word = bus_read32(gba, info + 4, Access::NonSeq);
    if (src_width == 0 || src_width > 8 || dst_width == 0 || dst_width > 32) return;
    const uint32_t offset = offset_word & 0x7FFFFFFF;
    const bool offset_zero_units = (offset_word >> 31) != 0;
    const uint32_t mask = (1u << src_width) - 1;
    uint32_t word = 0;
    uint32_t bits = 0;
    dst &= ~3u;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t byte = read8(gba, src);
        for (uint32_t shift = 0; shift + src_width <= 8; shift += src_width) {
            uint32_t unit = (byte >> shift) & mask;
            if (unit != 0 || offset_zero_units) unit += offset;
            word |= unit << bits;
            bits += dst_width;
            if (bits >= 32) {
                bus_write32(gba, dst, word, Access::NonSeq);
                dst += 4;
                word = 0;
                bits = 0;
            }
            gba.cycles += 4;
        }
    }
}

void bios_lz77(Gba& gba, uint32_t src, uint32_t dst, bool byte_writes) {
    uint32_t size = 0;
    if (!read_header(gba, src, size)) return;
    ByteSink out{dst, 0, byte_writes, 0};
    while (out.pos < size) {
        uint8_t flags = read8(gba, src);
        for (uint32_t block = 0; block < 8 && out.pos < size; ++block, flags = static_cast<uint8_t>(flags << 1)) {
            if ((flags & 0x80) == 0) {
                put(gba, out, read8(gba, src));
                continue;
            }
            // A copy of 3..18 bytes from 1..4096 bytes back.
            const uint8_t b0 = read8(gba, src);
            const uint8_t b1 = read8(gba, src);
            const uint32_t length = (b0 >> 4) + 3u;
            const uint32_t distance = ((b0 & 0xFu) << 8 | b1) + 1;
            for (uint32_t i = 0; i < length && out.pos < size; ++i) put(gba, out, written(gba, out, distance));
        }
    }
}

void bios_run_length(Gba& gba, uint32_t src, uint32_t dst, bool byte_writes) {
    uint32_t size = 0;
    if (!read_header(gba, src, size)) return;
    ByteSink out{dst, 0, byte_writes, 0};
    while (out.pos < size) {
        const uint8_t flag = read8(gba, src);
        if ((flag & 0x80) != 0) { // one byte, 3..130 times
            const uint8_t value = read8(gba, src);
            for (uint32_t i = 0; i < (flag & 0x7Fu) + 3 && out.pos < size; ++i) put(gba, out, value);
        } else { // 1..128 bytes as they are
            for (uint32_t i = 0; i < (flag & 0x7Fu) + 1 && out.pos < size; ++i) put(gba, out, read8(gba, src));
        }
    }
}

void bios_diff8(Gba& gba, uint32_t src, uint32_t dst, bool byte_writes) {
    uint32_t size = 0;
    if (!read_header(gba, src, size)) return;
    ByteSink out{dst, 0, byte_writes, 0};
    uint8_t value = 0;
    while (out.pos < size) {
        value = static_cast<uint8_t>(value + read8(gba, src));
        put(gba, out, value);
    }
}

void bios_diff16(Gba& gba, uint32_t src, uint32_t dst) {
    uint32_t size = 0;
    if (!read_header(gba, src, size)) return;
    uint16_t value = 0;
    for (uint32_t pos = 0; pos < size; pos += 2) {
        value = static_cast<uint16_t>(value + bus_read16(gba, src + pos, Access::NonSeq));
        bus_write16(gba, dst + pos, value, Access::NonSeq);
        gba.cycles += 3;
    }
}

void bios_huffman(Gba& gba, uint32_t src, uint32_t dst) {
    if (!bios_readable_source(src)) return;
    const uint32_t header = bus_read32(gba, src, Access::NonSeq);
    const uint32_t unit_bits = (header & 0xF) != 0 ? header & 0xF : 8;
    const uint32_t size = header >> 8;
    const uint32_t root = src + 5;
    uint32_t stream = src + 4 + (bus_read8(gba, src + 4, Access::NonSeq) + 1u) * 2;
    dst &= ~3u;
    gba.cycles += 20;

    uint32_t word = 0; // output being assembled, low units first
    uint32_t word_bits = 0;
    uint32_t bits = 0; // the 32-bit chunk of the bit stream, first bit in bit 31
    uint32_t bits_left = 0;
    uint32_t node = root;
    uint32_t depth = 0;
    for (uint32_t done = 0; done < size;) {
        if (bits_left == 0) {
            bits = bus_read32(gba, stream, Access::NonSeq);
            stream += 4;
            bits_left = 32;
        }
        const bool one = (bits >> 31) != 0;
        bits <<= 1;
        --bits_left;
        const uint8_t value = bus_read8(gba, node, Access::NonSeq);
        const uint32_t child = (node & ~1u) + (value & 0x3Fu) * 2 + 2 + (one ? 1 : 0);
        const bool leaf = (value & (one ? 0x40 : 0x80)) != 0;
        gba.cycles += 3;
        if (!leaf) {
            // A real tree is at most 512 bytes deep (children lie after their
            // parents): a longer path is not data, and the call gives up.
            if (++depth >= 0x200) return;
            node = child;
            continue;
        }
        word |= static_cast<uint32_t>(bus_read8(gba, child, Access::NonSeq)) << word_bits;
        node = root;
        depth = 0;
        word_bits += unit_bits;
        if (word_bits >= 32) {
            bus_write32(gba, dst, word, Access::NonSeq);
            dst += 4;
            done += 4;
            word = 0;
            word_bits = 0;
        }
    }
}

} // namespace emu
