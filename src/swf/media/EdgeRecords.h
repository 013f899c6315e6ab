// The SWF shape's edge records, written as bit fields into a base::ByteWriter.
#pragma once

#include "base/Bytes.h"

#include <cstdint>

namespace glw::swf::media {

// Largest edge delta an SWF edge record holds (its fields have at most 17 bits).
inline constexpr std::int32_t kMaxEdgeDelta = 65535;

// A straight edge record (horizontal, vertical or general form, whichever is shortest). Both deltas
// must lie within +-kMaxEdgeDelta.
void writeStraightEdge(base::ByteWriter& w, std::int32_t dx, std::int32_t dy);
// A curved (quadratic) edge record: control point relative to the pen, anchor relative to the control
// point. All deltas must lie within +-kMaxEdgeDelta.
void writeCurvedEdge(base::ByteWriter& w, std::int32_t controlDx, std::int32_t controlDy, std::int32_t anchorDx,
                     std::int32_t anchorDy);

} // namespace glw::swf::media
