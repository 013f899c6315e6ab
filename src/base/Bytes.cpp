// Bounded little-endian byte and bit reading and writing for SWF structures.
#include "base/Bytes.h"

#include <algorithm>
#include <cstring>

namespace glw::base {

void ByteReader::seek(std::size_t position) {
    m_bitCount = 0;
    if (m_failed || position > m_data.size()) {
        fail();
        return;
    }
    m_pos = position;
}

std::uint8_t ByteReader::u8() {
    m_bitCount = 0;
    if (m_failed || m_pos >= m_data.size()) {
        fail();
        return 0;
    }
    return m_data[m_pos++];
}

std::uint16_t ByteReader::u16() {
    m_bitCount = 0;
    if (m_failed || m_data.size() - m_pos < 2) {
        fail();
        return 0;
    }
    std::uint16_t v = readU16(m_data.data() + m_pos);
    m_pos += 2;
    return v;
}

std::uint32_t ByteReader::u32() {
    m_bitCount = 0;
    if (m_failed || m_data.size() - m_pos < 4) {
        fail();
        return 0;
    }
    std::uint32_t v = readU32(m_data.data() + m_pos);
    m_pos += 4;
    return v;
}

ByteView ByteReader::bytes(std::size_t n) {
    m_bitCount = 0;
    if (m_failed || m_data.size() - m_pos < n) {
        fail();
        return {};
    }
    ByteView v = m_data.subspan(m_pos, n);
    m_pos += n;
    return v;
}

std::string_view ByteReader::cstring() {
    m_bitCount = 0;
    if (m_failed) {
        return {};
    }
    const std::uint8_t* begin = m_data.data() + m_pos;
    const void* zero = std::memchr(begin, 0, m_data.size() - m_pos);
    if (!zero) {
        fail();
        return {};
    }
    std::size_t n = static_cast<const std::uint8_t*>(zero) - begin;
    m_pos += n + 1;
    return {reinterpret_cast<const char*>(begin), n};
}

std::uint32_t ByteReader::ub(unsigned bits) {
    std::uint32_t v = 0;
    for (unsigned i = 0; i < bits; ++i) {
        if (m_bitCount == 0) {
            if (m_failed || m_pos >= m_data.size()) {
                fail();
                return 0;
            }
            m_bitByte = m_data[m_pos++];
            m_bitCount = 8;
        }
        --m_bitCount;
        v = (v << 1) | ((m_bitByte >> m_bitCount) & 1u);
    }
    return v;
}

std::int32_t ByteReader::sb(unsigned bits) {
    if (bits == 0) {
        return 0;
    }
    std::uint32_t v = ub(bits);
    if (bits < 32 && (v & (1u << (bits - 1)))) {
        v |= ~((1u << bits) - 1u);
    }
    return static_cast<std::int32_t>(v);
}

void ByteWriter::u8(std::uint8_t v) {
    align();
    m_out.push_back(v);
}

void ByteWriter::u16(std::uint16_t v) {
    align();
    m_out.push_back(static_cast<std::uint8_t>(v));
    m_out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::u32(std::uint32_t v) {
    align();
    for (int i = 0; i < 4; ++i) {
        m_out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void ByteWriter::bytes(ByteView v) {
    align();
    m_out.insert(m_out.end(), v.begin(), v.end());
}

void ByteWriter::cstring(std::string_view v) {
    bytes(v);
    m_out.push_back(0);
}

void ByteWriter::ub(std::uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
        m_bitByte = static_cast<std::uint8_t>((m_bitByte << 1) | ((value >> i) & 1u));
        if (++m_bitCount == 8) {
            m_out.push_back(m_bitByte);
            m_bitByte = 0;
            m_bitCount = 0;
        }
    }
}

void ByteWriter::align() {
    if (m_bitCount) {
        m_out.push_back(static_cast<std::uint8_t>(m_bitByte << (8 - m_bitCount)));
        m_bitByte = 0;
        m_bitCount = 0;
    }
}

void ByteWriter::patchU16(std::size_t at, std::uint16_t v) {
    putU16(m_out.data() + at, v);
}
void ByteWriter::patchU32(std::size_t at, std::uint32_t v) {
    putU32(m_out.data() + at, v);
}

unsigned bitsForUnsigned(std::uint32_t value) {
    unsigned n = 0;
    while (value) {
        ++n;
        value >>= 1;
    }
    return n;
}

unsigned bitsForSigned(std::int32_t value) {
    if (value == 0) {
        return 0;
    }
    std::uint32_t magnitude = value < 0 ? ~static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    return bitsForUnsigned(magnitude) + 1;
}

unsigned bitsForSigned(std::initializer_list<std::int32_t> values) {
    unsigned n = 0;
    for (std::int32_t v : values) {
        n = std::max(n, bitsForSigned(v));
    }
    return n;
}

std::uint16_t readU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t readU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void putU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

} // namespace glw::base
