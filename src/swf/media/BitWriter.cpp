// Bit-field and integer writer for SWF records.
#include "swf/media/BitWriter.h"

#include <algorithm>
#include <utility>

namespace glw::swf::media {

int unsignedBits(std::uint32_t v) {
    int n = 0;
    while (v != 0) {
        ++n;
        v >>= 1;
    }
    return n;
}

int signedBits(std::int32_t v) {
    const std::uint32_t magnitude = v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    return unsignedBits(magnitude) + 1;
}

void BitWriter::ub(std::uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
        if (m_bitsUsed == 0) {
            m_bytes.push_back(0);
        }
        if ((v >> i) & 1U) {
            m_bytes.back() = static_cast<std::uint8_t>(m_bytes.back() | (0x80U >> m_bitsUsed));
        }
        m_bitsUsed = (m_bitsUsed + 1) % 8;
    }
}

void BitWriter::sb(std::int32_t v, int n) {
    ub(static_cast<std::uint32_t>(v), n);
}

void BitWriter::align() {
    m_bitsUsed = 0;
}

void BitWriter::u8(std::uint8_t v) {
    align();
    m_bytes.push_back(v);
}

void BitWriter::u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v & 0xFF));
    u8(static_cast<std::uint8_t>(v >> 8));
}

void BitWriter::s16(std::int16_t v) {
    u16(static_cast<std::uint16_t>(v));
}

void BitWriter::u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v & 0xFFFF));
    u16(static_cast<std::uint16_t>(v >> 16));
}

void BitWriter::bytes(std::span<const std::uint8_t> data) {
    align();
    m_bytes.insert(m_bytes.end(), data.begin(), data.end());
}

void BitWriter::string(std::string_view text) {
    align();
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_bytes.push_back(0);
}

std::vector<std::uint8_t> BitWriter::take() {
    align();
    std::vector<std::uint8_t> out = std::move(m_bytes);
    m_bytes.clear();
    return out;
}

void writeStraightEdge(BitWriter& w, std::int32_t dx, std::int32_t dy) {
    w.ub(1, 1); // edge record
    w.ub(1, 1); // straight
    if (dx != 0 && dy != 0) {
        const int bits = std::max({2, signedBits(dx), signedBits(dy)});
        w.ub(static_cast<std::uint32_t>(bits - 2), 4);
        w.ub(1, 1); // general line
        w.sb(dx, bits);
        w.sb(dy, bits);
    } else {
        const std::int32_t d = dx != 0 ? dx : dy;
        const int bits = std::max(2, signedBits(d));
        w.ub(static_cast<std::uint32_t>(bits - 2), 4);
        w.ub(0, 1);               // not general
        w.ub(dx == 0 ? 1 : 0, 1); // vertical
        w.sb(d, bits);
    }
}

void writeCurvedEdge(BitWriter& w, std::int32_t controlDx, std::int32_t controlDy, std::int32_t anchorDx,
                     std::int32_t anchorDy) {
    const int bits =
        std::max({2, signedBits(controlDx), signedBits(controlDy), signedBits(anchorDx), signedBits(anchorDy)});
    w.ub(1, 1); // edge record
    w.ub(0, 1); // curved
    w.ub(static_cast<std::uint32_t>(bits - 2), 4);
    w.sb(controlDx, bits);
    w.sb(controlDy, bits);
    w.sb(anchorDx, bits);
    w.sb(anchorDy, bits);
}

} // namespace glw::swf::media
