// A strict little SWF reader for the tests: it checks every length and count it meets and throws
// std::runtime_error at the first inconsistency, so a well-formed movie is one it reads to the end.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace glw::tests {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    std::uint32_t ub(int n);
    std::int32_t sb(int n);
    void align() {
        if (m_bit != 0) {
            m_bit = 0;
            ++m_pos;
        }
    }
    std::string string();
    std::span<const std::uint8_t> bytes(std::size_t n);
    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos == m_bytes.size(); }

private:
    void need(std::size_t n) const;
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    int m_bit = 0; // bits used of m_bytes[m_pos] while reading bit fields
};

struct RectView {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

RectView readRect(Reader& r);
void readMatrix(Reader& r);

struct TagView {
    std::uint16_t code = 0;
    bool longHeader = false;
    std::span<const std::uint8_t> body;
};

// Tags up to and including End; throws when a length runs past the data or End is missing.
std::vector<TagView> readTags(std::span<const std::uint8_t> data);

struct MovieView {
    char signature = 0; // 'F' or 'C'
    std::uint8_t version = 0;
    std::uint32_t fileLength = 0;
    std::vector<std::uint8_t> body; // after the 8-byte header, inflated for CWS
    RectView frame;
    std::uint16_t frameRate = 0;
    std::uint16_t frameCount = 0;
    std::vector<TagView> tags; // spans into body
};

// Reads an FWS or CWS movie; FileLength must equal 8 plus the (inflated) body.
MovieView readMovie(std::span<const std::uint8_t> file);

// A glyph or shape outline: each contour as absolute points (anchors only), and whether the first
// style change selected fill style 0 = 1.
struct ShapeView {
    std::vector<std::vector<std::pair<std::int32_t, std::int32_t>>> contours;
    bool firstFill0Is1 = false;
    // The same contours as drawn: every point, curves flattened into short straight pieces.
    std::vector<std::vector<std::pair<double, double>>> paths;
    int edges = 0;
    int curves = 0;
};

// Reads shape records after the NumFillBits/NumLineBits byte, up to the end record.
ShapeView readShapeRecords(Reader& r, int fillBits, int lineBits);
// Reads a whole glyph SHAPE (the fill/line bit counts, then the records).
ShapeView readGlyphShape(std::span<const std::uint8_t> shape);

// Walks action records to the end-of-actions byte, checking every record length and that every
// branch lands on a record boundary. Returns the URL of every ActionGetURL in order.
std::vector<std::string> readActions(std::span<const std::uint8_t> actions);

// Runs straight-line action code of the object kind (pushes of strings and integers, GetVariable, BitOr,
// InitObject, NewObject, CallMethod, Pop) on a stack of script texts and returns what each Pop dropped,
// for example `new Color(_root).setTransform({ra: 100})`. Throws on any other action, on a stack that runs
// out and on values left over at the end.
std::vector<std::string> scriptOf(std::span<const std::uint8_t> actions);

} // namespace glw::tests
