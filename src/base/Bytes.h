// Bounded little-endian byte and bit reading and writing: the byte vocabulary of the binary formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glw::base {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Reads from one bounded view. A read past the end does not throw: it yields zeros, marks the
// reader failed (sticky) and leaves the position at the end, so a parser reads a whole structure
// and checks failed() once. Bit reads (ub/sb) share the byte position; any byte read aligns first.
class ByteReader {
public:
    explicit ByteReader(ByteView data) : m_data(data) {}

    std::size_t position() const { return m_pos; }
    std::size_t size() const { return m_data.size(); }
    std::size_t remaining() const { return m_failed ? 0 : m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    bool failed() const { return m_failed; }
    void fail() {
        m_failed = true;
        m_pos = m_data.size();
    }
    // Moves to an absolute position inside the view (fails beyond it).
    void seek(std::size_t position);

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    // The next n bytes, or an empty view (and failure) when fewer remain.
    ByteView bytes(std::size_t n);
    void skip(std::size_t n) { (void)bytes(n); }
    // A zero-terminated string's bytes without the terminator; fails when no terminator follows.
    std::string_view cstring();
    ByteView rest() { return bytes(remaining()); }

    std::uint32_t ub(unsigned bits);
    std::int32_t sb(unsigned bits);
    void align() { m_bitCount = 0; }

private:
    ByteView m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
    std::uint8_t m_bitByte = 0;
    unsigned m_bitCount = 0; // bits of m_bitByte not yet read
};

// Appends to a growing buffer. Bit writes (ub/sb) fill bytes from the high bit; any byte write
// flushes a partial bit byte first (padding with zeros, as the format wants).
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::size_t reserve) { m_out.reserve(reserve); }

    void u8(std::uint8_t v);
    void u16(std::uint16_t v);
    void s16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v);
    void bytes(ByteView v);
    void bytes(std::string_view v) { bytes(ByteView(reinterpret_cast<const std::uint8_t*>(v.data()), v.size())); }
    void cstring(std::string_view v);

    void ub(std::uint32_t value, unsigned bits);
    void sb(std::int32_t value, unsigned bits) { ub(static_cast<std::uint32_t>(value), bits); }
    void align();

    // Overwrites bytes already written (for lengths known only later).
    void patchU16(std::size_t at, std::uint16_t v);
    void patchU32(std::size_t at, std::uint32_t v);

    std::size_t size() const { return m_out.size() + (m_bitCount ? 1 : 0); }
    const Bytes& data() {
        align();
        return m_out;
    }
    Bytes take() {
        align();
        return std::move(m_out);
    }

private:
    Bytes m_out;
    std::uint8_t m_bitByte = 0;
    unsigned m_bitCount = 0;
};

// Smallest field widths that hold a value: unsigned, and signed with its sign bit.
unsigned bitsForUnsigned(std::uint32_t value);
unsigned bitsForSigned(std::int32_t value);
unsigned bitsForSigned(std::initializer_list<std::int32_t> values);

std::uint16_t readU16(const std::uint8_t* p);
std::uint32_t readU32(const std::uint8_t* p);
void putU16(std::uint8_t* p, std::uint16_t v);
void putU32(std::uint8_t* p, std::uint32_t v);

} // namespace glw::base
