// The SWF shape's straight and curved edge records.
#include "swf/media/EdgeRecords.h"

#include <algorithm>

namespace glw::swf::media {

// Each record's fields are at least two bits wide: the record stores their width less two.

void writeStraightEdge(base::ByteWriter& w, std::int32_t dx, std::int32_t dy) {
    w.ub(1, 1); // edge record
    w.ub(1, 1); // straight
    if (dx != 0 && dy != 0) {
        const unsigned bits = std::max(2u, base::bitsForSigned({dx, dy}));
        w.ub(bits - 2, 4);
        w.ub(1, 1); // general line
        w.sb(dx, bits);
        w.sb(dy, bits);
    } else {
        const std::int32_t d = dx != 0 ? dx : dy;
        const unsigned bits = std::max(2u, base::bitsForSigned(d));
        w.ub(bits - 2, 4);
        w.ub(0, 1);               // not general
        w.ub(dx == 0 ? 1 : 0, 1); // vertical
        w.sb(d, bits);
    }
}

void writeCurvedEdge(base::ByteWriter& w, std::int32_t controlDx, std::int32_t controlDy, std::int32_t anchorDx,
                     std::int32_t anchorDy) {
    const unsigned bits = std::max(2u, base::bitsForSigned({controlDx, controlDy, anchorDx, anchorDy}));
    w.ub(1, 1); // edge record
    w.ub(0, 1); // curved
    w.ub(bits - 2, 4);
    w.sb(controlDx, bits);
    w.sb(controlDy, bits);
    w.sb(anchorDx, bits);
    w.sb(anchorDy, bits);
}

} // namespace glw::swf::media
