// The 11-byte marker between a stub program and its package, and the search for it in a stub's own file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace glw::jpk {

inline constexpr std::size_t kJpkMarkerLength = 11;

// The marker's bytes: a percent sign, nine capital letters, a percent sign. They are assembled at run time
// and never stored together, because a stub takes the first occurrence in its own file as the start of its
// package: the program image itself must not hold them in a row.
std::array<unsigned char, kJpkMarkerLength> JpkMarker();

// The search for the first marker in a stream of bytes, fed in pieces of any size.
//
// It compares one byte at a time and never looks back: a byte that breaks a partial match is not tried as
// the start of a new one, so "%%" followed by the rest of the marker is not a marker. Every stub made so far
// was joined and read with this rule; keep it so that files that work today keep working.
class MarkerSearch {
public:
    MarkerSearch();

    // Feeds the next bytes. Once the marker is complete, later calls change nothing.
    void feed(std::span<const unsigned char> bytes);

    bool found() const { return m_packageStart.has_value(); }
    // Offset, counted over all bytes fed, of the first byte behind the marker; set once found().
    std::uint64_t packageStart() const { return m_packageStart.value_or(0); }
    // Offset of the marker's first byte; set once found().
    std::uint64_t markerStart() const { return packageStart() - kJpkMarkerLength; }
    // Bytes fed so far.
    std::uint64_t consumed() const { return m_consumed; }

private:
    std::array<unsigned char, kJpkMarkerLength> m_marker;
    std::size_t m_matched = 0;
    std::uint64_t m_consumed = 0;
    std::optional<std::uint64_t> m_packageStart;
};

} // namespace glw::jpk
