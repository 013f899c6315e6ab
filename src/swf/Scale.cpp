// Rescaling a movie: a new stage size, with the root timeline's content scaled to match.
#include "swf/Scale.h"

#include "swf/Records.h"

#include <algorithm>
#include <cmath>

namespace glw::swf {

namespace {

std::int32_t roundTwips(double v) {
    return static_cast<std::int32_t>(std::lround(std::clamp(v, -1073741823.0, 1073741823.0)));
}

// A matrix term holds at most 31 signed bits (16.16 fixed point for scales: below 16384x).
constexpr double kMaxTerm = 1073741823.0;

bool fitsTerm(double v) {
    return std::fabs(v) <= kMaxTerm;
}

// The matrix scaled by (sx, sy), or refused when a term would not fit: a clamped term would place the
// content at a wrong scale or position without a word.
Result<Matrix> scaledExactly(const Matrix& m, double sx, double sy) {
    const double a = m.hasScale ? m.scaleX : 0x10000;
    const double d = m.hasScale ? m.scaleY : 0x10000;
    bool fits = fitsTerm(a * sx) && fitsTerm(d * sy) && fitsTerm(m.translateX * sx) && fitsTerm(m.translateY * sy);
    if (m.hasRotate) {
        fits = fits && fitsTerm(m.rotateSkew0 * sy) && fitsTerm(m.rotateSkew1 * sx);
    }
    if (!fits) {
        return makeError(ErrorCode::TooLarge, "the new size scales the movie's content beyond what its placements can "
                                              "store (at most 16384 times, within 53687091 pixels of the origin)");
    }
    return scaledMatrix(m, sx, sy);
}

// PlaceObject: character, depth, matrix, optional colour transform.
Result<Bytes> scalePlaceObject(ByteView p, double sx, double sy) {
    ByteReader r(p);
    r.skip(4);
    Matrix m = readMatrix(r);
    if (r.failed()) {
        return makeError(ErrorCode::Malformed, "a placement is cut short");
    }
    Result<Matrix> scaledM = scaledExactly(m, sx, sy);
    if (!scaledM) {
        return scaledM.error();
    }
    ByteWriter w(p.size() + 8);
    w.bytes(p.first(4));
    writeMatrix(w, *scaledM);
    w.bytes(r.rest());
    return w.take();
}

// PlaceObject2 and PlaceObject3: the matrix follows depth, class name and character id.
Result<Bytes> scalePlaceObject2(ByteView p, bool po3, double sx, double sy, bool& changed) {
    ByteReader r(p);
    std::uint8_t flags = r.u8();
    std::uint8_t flags2 = po3 ? r.u8() : 0;
    r.skip(2); // depth
    if (po3 && ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02)))) {
        (void)r.cstring();
    }
    if (flags & 0x02) {
        r.skip(2);
    }
    std::size_t matrixAt = r.position();
    if (r.failed()) {
        return makeError(ErrorCode::Malformed, "a placement is cut short");
    }
    bool hasMatrix = flags & 0x04;
    bool move = flags & 0x01;
    changed = false;
    if (!hasMatrix && move) {
        return Bytes{}; // changes an object already placed, keeping its (scaled) matrix
    }
    Matrix m;
    if (hasMatrix) {
        m = readMatrix(r);
        if (r.failed()) {
            return makeError(ErrorCode::Malformed, "a placement's matrix is cut short");
        }
    }
    Result<Matrix> scaledM = scaledExactly(m, sx, sy);
    if (!scaledM) {
        return scaledM.error();
    }
    ByteWriter w(p.size() + 12);
    w.u8(static_cast<std::uint8_t>(flags | 0x04));
    if (po3) {
        w.u8(flags2);
    }
    w.bytes(p.subspan(po3 ? 2 : 1, matrixAt - (po3 ? 2 : 1)));
    writeMatrix(w, *scaledM);
    w.bytes(p.subspan(r.position()));
    changed = true;
    return w.take();
}

} // namespace

Result<void> rescaleMovie(Movie& movie, std::int32_t widthTwips, std::int32_t heightTwips) {
    Rect old = movie.frame;
    std::int32_t width = widthTwips > 0 ? widthTwips : old.width();
    std::int32_t height = heightTwips > 0 ? heightTwips : old.height();
    if (width == old.width() && height == old.height()) {
        return {};
    }
    // An empty stage has nothing to scale from: it only gets its new size.
    double sx = old.width() > 0 ? double(width) / old.width() : 1.0;
    double sy = old.height() > 0 ? double(height) / old.height() : 1.0;
    // Scale every root placement first, so that a failure leaves the movie as it was.
    std::vector<std::pair<std::size_t, Bytes>> scaled;
    for (std::size_t i = 0; i < movie.tags.size(); ++i) {
        const Tag& tag = movie.tags[i];
        ByteView p = tag.payload();
        if (tag.code() == TagCode::PlaceObject) {
            Result<Bytes> b = scalePlaceObject(p, sx, sy);
            if (!b) {
                return b.error();
            }
            scaled.emplace_back(i, std::move(*b));
        } else if (tag.code() == TagCode::PlaceObject2 || tag.code() == TagCode::PlaceObject3) {
            bool changed = false;
            Result<Bytes> b = scalePlaceObject2(p, tag.code() == TagCode::PlaceObject3, sx, sy, changed);
            if (!b) {
                return b.error();
            }
            if (changed) {
                scaled.emplace_back(i, std::move(*b));
            }
        }
    }
    for (auto& [index, bytes] : scaled) {
        movie.tags[index].setPayload(std::move(bytes));
    }
    if (!fitsTerm(old.xMin * sx + width) || !fitsTerm(old.yMin * sy + height)) {
        return makeError(ErrorCode::TooLarge, "the new stage does not fit the movie's stage rectangle");
    }
    Rect frame;
    frame.xMin = roundTwips(old.xMin * sx);
    frame.yMin = roundTwips(old.yMin * sy);
    frame.xMax = frame.xMin + width;
    frame.yMax = frame.yMin + height;
    movie.setFrame(frame);
    return {};
}

} // namespace glw::swf
