// The drawing surface: operations recorded and rasterised, system colours resolved.
#include "DrawSurface.h"

#include "Control.h"

#include <algorithm>
#include <cstdlib>

namespace glw::forms {

namespace {

constexpr long kSystemColours[] = {
    rgb(212, 208, 200), // 0 scroll bars
    rgb(58, 110, 165),  // 1 desktop
    rgb(10, 36, 106),   // 2 active title bar
    rgb(128, 128, 128), // 3 inactive title bar
    rgb(212, 208, 200), // 4 menu bar
    rgb(255, 255, 255), // 5 window background
    rgb(0, 0, 0),       // 6 window frame
    rgb(0, 0, 0),       // 7 menu text
    rgb(0, 0, 0),       // 8 window text
    rgb(255, 255, 255), // 9 title bar text
    rgb(212, 208, 200), // 10 active border
    rgb(212, 208, 200), // 11 inactive border
    rgb(128, 128, 128), // 12 application workspace
    rgb(10, 36, 106),   // 13 highlight
    rgb(255, 255, 255), // 14 highlighted text
    rgb(212, 208, 200), // 15 button face
    rgb(128, 128, 128), // 16 button shadow
    rgb(128, 128, 128), // 17 grey text
    rgb(0, 0, 0),       // 18 button text
    rgb(212, 208, 200), // 19 inactive title bar text
    rgb(255, 255, 255), // 20 button highlight
    rgb(64, 64, 64),    // 21 3-D dark shadow
    rgb(212, 208, 200), // 22 3-D light
    rgb(0, 0, 0),       // 23 tooltip text
    rgb(255, 255, 225), // 24 tooltip background
};

// The colours of one edge layer: top-left and bottom-right.
struct Layer {
    int flag;
    long topLeft, bottomRight;
};
constexpr long sys(int index) {
    return long(0x80000000ul | unsigned(index));
}
constexpr Layer kOuter[] = {{BDR_RAISEDOUTER, sys(22), sys(21)}, {BDR_SUNKENOUTER, sys(16), sys(20)}};
constexpr Layer kInner[] = {{BDR_RAISEDINNER, sys(20), sys(16)}, {BDR_SUNKENINNER, sys(21), sys(22)}};

} // namespace

long resolveColor(long colour) {
    const auto bits = static_cast<unsigned long>(colour) & 0xFFFFFFFFul;
    if (bits & 0x80000000ul) {
        const unsigned index = unsigned(bits & 0xFF);
        return index < std::size(kSystemColours) ? kSystemColours[index] : kSystemColours[15];
    }
    return long(bits & 0xFFFFFFul);
}

DrawSurface::~DrawSurface() {
    if (m_backend) {
        m_backend->surfaceGone();
    }
}

PixelRect DrawSurface::clientRect() const {
    const int k = kTwipsPerDesignPixel;
    return {0, 0, std::max(0, m_owner.Width() / k), std::max(0, m_owner.Height() / k)};
}

void DrawSurface::ensureRaster() {
    const PixelRect r = clientRect();
    if (r.right == m_width && r.bottom == m_height) {
        return;
    }
    m_width = r.right;
    m_height = r.bottom;
    m_pixels.assign(size_t(m_width) * size_t(m_height), std::uint32_t(resolveColor(m_owner.BackColor)));
}

void DrawSurface::record(const DrawOp& op) {
    if (m_ops.size() >= kMaxOps) {
        m_ops.erase(m_ops.begin(), m_ops.begin() + std::ptrdiff_t(kMaxOps / 2));
    }
    m_ops.push_back(op);
    if (m_backend) {
        m_backend->drawn(op);
    }
}

void DrawSurface::put(int x, int y, long rgbValue) {
    if (x >= 0 && y >= 0 && x < m_width && y < m_height) {
        m_pixels[size_t(y) * size_t(m_width) + size_t(x)] = std::uint32_t(rgbValue);
    }
}

long DrawSurface::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return -1;
    }
    return long(m_pixels[size_t(y) * size_t(m_width) + size_t(x)]);
}

std::vector<PixelSpan> DrawSurface::spans(const DrawOp& op) {
    std::vector<PixelSpan> out;
    const PixelRect& r = op.rect;
    switch (op.kind) {
    case DrawOp::Kind::Clear:
        out.push_back({{r.left, r.top, r.right - 1, r.bottom - 1}, op.colour});
        break;
    case DrawOp::Kind::Box:
        if (r.right > r.left && r.bottom > r.top) {
            out.push_back({{r.left, r.top, r.right - 1, r.bottom - 1}, op.colour});
            if (r.right - r.left > 2 && r.bottom - r.top > 2) {
                out.push_back({{r.left + 1, r.top + 1, r.right - 2, r.bottom - 2}, op.fill});
            }
        }
        break;
    case DrawOp::Kind::Line: {
        // Bresenham's walk from the start to the end point, leaving the end point out.
        int x0 = r.left, y0 = r.top;
        const int x1 = r.right, y1 = r.bottom;
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        while (x0 != x1 || y0 != y1) {
            out.push_back({{x0, y0, x0, y0}, op.colour});
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
        break;
    }
    case DrawOp::Kind::Edge: {
        PixelRect e = r;
        const int sides = op.sides;
        for (const auto* layers : {kOuter, kInner}) {
            for (int i = 0; i < 2; ++i) {
                const Layer& layer = layers[i];
                if (!(op.edge & layer.flag) || e.right <= e.left || e.bottom <= e.top) {
                    continue;
                }
                if (sides & BF_LEFT) {
                    out.push_back({{e.left, e.top, e.left, e.bottom - 1}, layer.topLeft});
                }
                if (sides & BF_TOP) {
                    out.push_back({{e.left, e.top, e.right - 1, e.top}, layer.topLeft});
                }
                if (sides & BF_RIGHT) {
                    out.push_back({{e.right - 1, e.top, e.right - 1, e.bottom - 1}, layer.bottomRight});
                }
                if (sides & BF_BOTTOM) {
                    out.push_back({{e.left, e.bottom - 1, e.right - 1, e.bottom - 1}, layer.bottomRight});
                }
                e.left += (sides & BF_LEFT) ? 1 : 0;
                e.top += (sides & BF_TOP) ? 1 : 0;
                e.right -= (sides & BF_RIGHT) ? 1 : 0;
                e.bottom -= (sides & BF_BOTTOM) ? 1 : 0;
                break; // raised and sunken of one layer exclude each other
            }
        }
        break;
    }
    }
    return out;
}

void DrawSurface::paint(const DrawOp& op) {
    ensureRaster();
    for (const PixelSpan& s : spans(op)) {
        const auto c = resolveColor(s.colour);
        for (int y = std::max(0, s.rect.top); y <= std::min(m_height - 1, s.rect.bottom); ++y) {
            for (int x = std::max(0, s.rect.left); x <= std::min(m_width - 1, s.rect.right); ++x) {
                put(x, y, c);
            }
        }
    }
    record(op);
}

void DrawSurface::Clear(long colour) {
    m_ops.clear();
    ensureRaster();
    paint({DrawOp::Kind::Clear, clientRect(), colour, 0, 0, 0});
}

void DrawSurface::Box(const PixelRect& r, long outline, long fill) {
    paint({DrawOp::Kind::Box, r, outline, fill, 0, 0});
}

void DrawSurface::MoveTo(int x, int y) {
    m_penX = x;
    m_penY = y;
}

void DrawSurface::LineTo(int x, int y, long colour) {
    paint({DrawOp::Kind::Line, {m_penX, m_penY, x, y}, colour, 0, 0, 0});
    m_penX = x;
    m_penY = y;
}

void DrawSurface::DrawEdge(const PixelRect& rect, int edge, int sides) {
    paint({DrawOp::Kind::Edge, rect, 0, 0, edge, sides});
}

void DrawSurface::SetCapture() {
    if (!m_capture) {
        m_capture = true;
        if (m_backend) {
            m_backend->captureChanged(true);
        }
    }
}

void DrawSurface::ReleaseCapture() {
    if (m_capture) {
        m_capture = false;
        if (m_backend) {
            m_backend->captureChanged(false);
        }
    }
}

} // namespace glw::forms
