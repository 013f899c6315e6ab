// Drawing of the generated pictures: vertical shading, a bevel and stroked marks.
#include "swfmaker/Pictures.h"

#include <algorithm>
#include <cmath>

namespace glw::tools {
namespace {

struct Segment {
    double x0, y0, x1, y1; // in the unit square of the mark
};

double distanceToSegment(double px, double py, const Segment& s) {
    const double dx = s.x1 - s.x0;
    const double dy = s.y1 - s.y0;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((px - s.x0) * dx + (py - s.y0) * dy) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = s.x0 + t * dx - px;
    const double ey = s.y0 + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

std::vector<Segment> strokesOf(PictureMark mark) {
    switch (mark) {
    case PictureMark::Check:
        return {{0.12, 0.55, 0.40, 0.82}, {0.40, 0.82, 0.88, 0.22}};
    case PictureMark::Cross:
        return {{0.2, 0.2, 0.8, 0.8}, {0.8, 0.2, 0.2, 0.8}};
    case PictureMark::Minus:
        return {{0.18, 0.5, 0.82, 0.5}};
    case PictureMark::Arrow:
        return {{0.12, 0.5, 0.86, 0.5}, {0.58, 0.22, 0.86, 0.5}, {0.86, 0.5, 0.58, 0.78}};
    case PictureMark::Ring:
    case PictureMark::None:
        return {};
    }
    return {};
}

std::uint8_t mix(std::uint8_t a, std::uint8_t b, double t) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(a + (b - a) * t), 0L, 255L));
}

} // namespace

glw::swf::media::Image drawPicture(const PictureSpec& spec) {
    glw::swf::media::Image image;
    image.width = std::max(1, spec.width);
    image.height = std::max(1, spec.height);
    image.channels = 3;
    image.pixels.resize(std::size_t(image.width) * std::size_t(image.height) * 3);
    const std::vector<Segment> strokes = strokesOf(spec.mark);
    // The mark fills a centred square of 60 % of the shorter side; strokes are 12 % of it wide.
    const double side = 0.6 * std::min(image.width, image.height);
    const double left = (image.width - side) / 2.0;
    const double top = (image.height - side) / 2.0;
    const double halfWidth = std::max(0.75, 0.06 * side);
    for (int y = 0; y < image.height; ++y) {
        const double t = image.height > 1 ? static_cast<double>(y) / (image.height - 1) : 0.0;
        const Rgb base{mix(spec.top.r, spec.bottom.r, t), mix(spec.top.g, spec.bottom.g, t),
                       mix(spec.top.b, spec.bottom.b, t)};
        for (int x = 0; x < image.width; ++x) {
            Rgb c = base;
            if (spec.bevel) {
                if (x == 0 || y == 0) {
                    c = {mix(c.r, 255, 0.6), mix(c.g, 255, 0.6), mix(c.b, 255, 0.6)};
                } else if (x == image.width - 1 || y == image.height - 1) {
                    c = {mix(c.r, 0, 0.5), mix(c.g, 0, 0.5), mix(c.b, 0, 0.5)};
                }
            }
            if (spec.mark != PictureMark::None && side > 0) {
                const double ux = (x + 0.5 - left) / side;
                const double uy = (y + 0.5 - top) / side;
                double d = 1e9;
                if (spec.mark == PictureMark::Ring) {
                    d = std::abs(std::hypot(ux - 0.5, uy - 0.5) - 0.36) * side;
                } else {
                    for (const Segment& s : strokes) {
                        d = std::min(d, distanceToSegment(ux, uy, s) * side);
                    }
                }
                const double coverage = std::clamp(halfWidth + 0.5 - d, 0.0, 1.0);
                c = {mix(c.r, spec.markColour.r, coverage), mix(c.g, spec.markColour.g, coverage),
                     mix(c.b, spec.markColour.b, coverage)};
            }
            std::uint8_t* p = image.pixels.data() + (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3;
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
    return image;
}

Result<Bytes> makePictureJpeg(const PictureSpec& spec, int quality) {
    return glw::swf::media::encodeJpeg(drawPicture(spec), quality);
}

} // namespace glw::tools
