// Writes the SWF format's bit fields (UB, SB) and little-endian integers into a byte vector.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace glw::swf::media {

// Bits needed to hold v as an SWF unsigned bit field (0 needs 0 bits).
int unsignedBits(std::uint32_t v);
// Bits needed to hold v as an SWF signed bit field (two's complement; 0 needs 1 bit).
int signedBits(std::int32_t v);

// BitWriter appends bit fields most significant bit first, as SWF records are packed. Byte-sized
// writes first pad the current byte with zero bits, as the format requires before every
// non-bit field.
class BitWriter {
public:
    // Writes the low n bits of v (n from 0 to 32).
    void ub(std::uint32_t v, int n);
    // Writes v as an n-bit two's complement field (n from 0 to 32).
    void sb(std::int32_t v, int n);
    // Pads to the next byte boundary with zero bits.
    void align();

    void u8(std::uint8_t v);
    void u16(std::uint16_t v);
    void s16(std::int16_t v);
    void u32(std::uint32_t v);
    void bytes(std::span<const std::uint8_t> data);
    // A NUL-terminated string (the format's STRING).
    void string(std::string_view text);

    // Size in whole bytes written so far (a partial byte counts).
    std::size_t size() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& data() const { return m_bytes; }
    // Pads to a byte boundary and hands over the bytes; the writer is empty afterwards.
    std::vector<std::uint8_t> take();

private:
    std::vector<std::uint8_t> m_bytes;
    int m_bitsUsed = 0; // bits used in the last byte, 0 when byte-aligned
};

// Largest edge delta an SWF edge record holds (its fields have at most 17 bits).
inline constexpr std::int32_t kMaxEdgeDelta = 65535;

// A straight edge record (horizontal, vertical or general form, whichever is shortest). Both deltas
// must lie within +-kMaxEdgeDelta.
void writeStraightEdge(BitWriter& w, std::int32_t dx, std::int32_t dy);
// A curved (quadratic) edge record: control point relative to the pen, anchor relative to the control
// point. All deltas must lie within +-kMaxEdgeDelta.
void writeCurvedEdge(BitWriter& w, std::int32_t controlDx, std::int32_t controlDy, std::int32_t anchorDx,
                     std::int32_t anchorDy);

} // namespace glw::swf::media
