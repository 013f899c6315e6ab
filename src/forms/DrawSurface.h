// The drawing surface of a user-drawn control: a client rectangle in pixels, filled boxes with an outline,
// lines in MoveTo/LineTo style and 3-D edges, in the platform's colours (system colours resolved). What is
// drawn is kept as a list of operations and as pixels, so that headless runs and tests can read it; a
// renderer attaches a backend that paints the same operations in a window.
#pragma once

#include "UiDriver.h"

#include <cstdint>
#include <vector>

namespace glw::forms {

class Control;

// A colour as 0x00BBGGRR. A system colour (high bit set, its index in the low byte) gives the fixed colour
// of that role; any other value is masked to its low 24 bits.
long resolveColor(long colour);

// System colours the controls use.
inline constexpr long vbButtonFace = 0x8000000F;
inline constexpr long vbButtonShadow = 0x80000010;
inline constexpr long vbButtonText = 0x80000012;
inline constexpr long vbButtonHighlight = 0x80000014;
inline constexpr long vbWindowBackground = 0x80000005;
inline constexpr long vbWindowText = 0x80000008;

// Edge styles and sides, combined as the platform's edge drawing combines them.
enum EdgeStyle : int {
    BDR_RAISEDOUTER = 1,
    BDR_SUNKENOUTER = 2,
    BDR_RAISEDINNER = 4,
    BDR_SUNKENINNER = 8,
    EDGE_RAISED = 5,
    EDGE_ETCHED = 6,
    EDGE_BUMP = 9,
    EDGE_SUNKEN = 10,
};
enum EdgeSides : int { BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8, BF_RECT = 15 };

// One drawing operation, with the colours as the caller gave them.
struct DrawOp {
    enum class Kind { Clear, Box, Line, Edge };
    Kind kind = Kind::Clear;
    PixelRect rect;  // Line: left, top = from; right, bottom = to (the end point is not drawn)
    long colour = 0; // Clear: the colour; Box: the outline; Line: the pen
    long fill = 0;   // Box
    int edge = 0;    // Edge: EdgeStyle
    int sides = 0;   // Edge: EdgeSides
};

// What a renderer does with a surface: paint each operation, and capture or release the pointer.
class SurfaceBackend {
public:
    virtual ~SurfaceBackend() = default;
    virtual void drawn(const DrawOp& op) = 0;
    virtual void captureChanged(bool captured) = 0;
    // The surface is being destroyed: no more calls into it.
    virtual void surfaceGone() = 0;
};

// A filled run of pixels (right and bottom inside) and its colour as given.
struct PixelSpan {
    PixelRect rect;
    long colour = 0;
};

class DrawSurface {
public:
    explicit DrawSurface(Control& owner) : m_owner(owner) {}
    ~DrawSurface();
    DrawSurface(const DrawSurface&) = delete;
    DrawSurface& operator=(const DrawSurface&) = delete;

    // The client rectangle: (0, 0) to the owner's size in pixels.
    PixelRect clientRect() const;
    int ScaleWidth() const { return clientRect().right; }
    int ScaleHeight() const { return clientRect().bottom; }

    // Fills the whole surface.
    void Clear(long colour);
    // A box from (left, top) to (right, bottom), right and bottom outside: a one-pixel outline, the inside
    // filled.
    void Box(const PixelRect& rect, long outline, long fill);
    void MoveTo(int x, int y);
    // A line from the current position to (x, y), which is not drawn and becomes the current position.
    void LineTo(int x, int y, long colour);
    // A 3-D edge inside the rectangle on the given sides.
    void DrawEdge(const PixelRect& rect, int edge, int sides);

    // Pointer capture: the surface gets every mouse event until it is released (at button-up, and when
    // its control loses the focus).
    void SetCapture();
    void ReleaseCapture();
    bool hasCapture() const { return m_capture; }

    // What was drawn since the last repaint began (at most kMaxOps, the oldest dropped first).
    const std::vector<DrawOp>& ops() const { return m_ops; }
    // The colour of a pixel (0x00BBGGRR), -1 outside the surface.
    long pixel(int x, int y) const;

    void setBackend(SurfaceBackend* backend) { m_backend = backend; }
    SurfaceBackend* backend() const { return m_backend; }

    static constexpr size_t kMaxOps = 20000;

    // The pixels of an operation as runs, for a renderer that paints them (Clear and Box give the whole rectangles).
    static std::vector<PixelSpan> spans(const DrawOp& op);

private:
    void record(const DrawOp& op);
    void ensureRaster();
    void put(int x, int y, long rgb);
    void paint(const DrawOp& op);

    Control& m_owner;
    std::vector<DrawOp> m_ops;
    std::vector<std::uint32_t> m_pixels;
    int m_width = 0, m_height = 0;
    int m_penX = 0, m_penY = 0;
    bool m_capture = false;
    SurfaceBackend* m_backend = nullptr;
};

} // namespace glw::forms
