// The package marker, kept out of every constant, and its one-pass search.
#include "jpk/JpkMarker.h"

#include <cstring>

namespace glw::jpk {

namespace {

// The marker's characters, each masked: the image holds only the masked bytes, and the mask is read back
// at run time so that no optimiser can fold the eleven into one constant.
constexpr unsigned char kMask = 0x5A;
constexpr unsigned char kMaskedMarker[kJpkMarkerLength] = {
    '%' ^ kMask, 'V' ^ kMask, 'E' ^ kMask, 'S' ^ kMask, 'K' ^ kMask, 'O' ^ kMask,
    'T' ^ kMask, 'R' ^ kMask, 'A' ^ kMask, 'M' ^ kMask, '%' ^ kMask,
};
volatile unsigned char g_markerMask = kMask;

} // namespace

std::array<unsigned char, kJpkMarkerLength> JpkMarker() {
    std::array<unsigned char, kJpkMarkerLength> marker{};
    for (std::size_t i = 0; i < kJpkMarkerLength; ++i) {
        marker[i] = static_cast<unsigned char>(kMaskedMarker[i] ^ g_markerMask);
    }
    return marker;
}

MarkerSearch::MarkerSearch() : m_marker(JpkMarker()) {}

void MarkerSearch::feed(std::span<const unsigned char> bytes) {
    if (found()) {
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (m_matched == 0) {
            // Outside a partial match only the first character matters: jump to its next occurrence.
            const void* next = std::memchr(bytes.data() + i, m_marker[0], bytes.size() - i);
            if (next == nullptr) {
                break;
            }
            i = static_cast<std::size_t>(static_cast<const unsigned char*>(next) - bytes.data());
            m_matched = 1;
        } else if (bytes[i] == m_marker[m_matched]) {
            if (++m_matched == kJpkMarkerLength) {
                m_packageStart = m_consumed + i + 1;
                m_consumed += i + 1;
                return;
            }
        } else {
            // The breaking byte is skipped, even when it is itself the marker's first character.
            m_matched = 0;
        }
    }
    m_consumed += bytes.size();
}

} // namespace glw::jpk
