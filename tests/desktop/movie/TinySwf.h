// Tiny SWF movies written byte by byte for the player tests: a stage, a background, solid rectangles and
// frame actions (getURL, variables, stop), so that each test knows exactly what the movie draws and does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glw::qt::movie::test {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// Writes bit fields most significant bit first, as SWF records are packed.
class BitWriter {
public:
    void bits(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            m_current = static_cast<std::uint8_t>((m_current << 1) | ((value >> i) & 1));
            if (++m_used == 8) {
                flush();
            }
        }
    }
    void signedBits(std::int32_t value, int count) { bits(static_cast<std::uint32_t>(value), count); }
    Bytes finish() {
        if (m_used > 0) {
            m_current = static_cast<std::uint8_t>(m_current << (8 - m_used));
            flush();
        }
        return std::move(m_bytes);
    }

private:
    void flush() {
        m_bytes.push_back(m_current);
        m_current = 0;
        m_used = 0;
    }
    Bytes m_bytes;
    std::uint8_t m_current = 0;
    int m_used = 0;
};

inline void append(Bytes& to, const Bytes& from) {
    to.insert(to.end(), from.begin(), from.end());
}
inline void appendU16(Bytes& to, std::uint32_t v) {
    to.push_back(static_cast<std::uint8_t>(v & 0xFF));
    to.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
inline void appendU32(Bytes& to, std::uint32_t v) {
    appendU16(to, v & 0xFFFF);
    appendU16(to, v >> 16);
}
inline void appendString(Bytes& to, const std::string& s) {
    to.insert(to.end(), s.begin(), s.end());
    to.push_back(0);
}

// A RECT in twips with 16-bit fields (enough for stages up to 1638 pixels).
inline Bytes rect(int xMin, int xMax, int yMin, int yMax) {
    BitWriter w;
    w.bits(16, 5);
    for (int v : {xMin, xMax, yMin, yMax}) {
        w.signedBits(v, 16);
    }
    return w.finish();
}

// A tag with the long header, which every player accepts for every tag.
inline Bytes tag(int code, const Bytes& body) {
    Bytes out;
    appendU16(out, static_cast<std::uint32_t>(code << 6) | 0x3F);
    appendU32(out, static_cast<std::uint32_t>(body.size()));
    append(out, body);
    return out;
}

inline Bytes setBackgroundColor(Rgb c) {
    return tag(9, {c.r, c.g, c.b});
}

// DefineShape: a rectangle (pixels) filled with one solid colour.
inline Bytes defineRectangle(int id, int x, int y, int width, int height, Rgb fill) {
    const int x0 = x * 20, y0 = y * 20, w = width * 20, h = height * 20;
    Bytes body;
    appendU16(body, static_cast<std::uint32_t>(id));
    append(body, rect(x0, x0 + w, y0, y0 + h));
    body.push_back(1); // one fill style: solid
    body.push_back(0x00);
    body.push_back(fill.r);
    body.push_back(fill.g);
    body.push_back(fill.b);
    body.push_back(0); // no line styles
    BitWriter s;
    s.bits(1, 4); // fill index bits
    s.bits(0, 4); // line index bits
    // Style change: move to the corner, fill style 1 on the edges' right.
    s.bits(0, 1);
    s.bits(0, 1); // new styles
    s.bits(0, 1); // line style
    s.bits(1, 1); // fill style 1
    s.bits(0, 1); // fill style 0
    s.bits(1, 1); // move to
    s.bits(17, 5);
    s.signedBits(x0, 17);
    s.signedBits(y0, 17);
    s.bits(1, 1); // fill style 1 = 1
    // Four straight edges, each horizontal or vertical, 17-bit deltas (NumBits + 2).
    const auto edge = [&s](bool vertical, int delta) {
        s.bits(1, 1); // edge
        s.bits(1, 1); // straight
        s.bits(15, 4);
        s.bits(0, 1); // not a general line
        s.bits(vertical ? 1 : 0, 1);
        s.signedBits(delta, 17);
    };
    edge(false, w);
    edge(true, h);
    edge(false, -w);
    edge(true, -h);
    s.bits(0, 6); // end of shape
    append(body, s.finish());
    return tag(2, body);
}

// PlaceObject2 of a character at a depth, without a matrix.
inline Bytes placeObject(int depth, int id) {
    Bytes body{0x02};
    appendU16(body, static_cast<std::uint32_t>(depth));
    appendU16(body, static_cast<std::uint32_t>(id));
    return tag(26, body);
}

// Actions of a DoAction tag.
inline Bytes actionGetUrl(const std::string& url, const std::string& target) {
    Bytes data;
    appendString(data, url);
    appendString(data, target);
    Bytes out{0x83};
    appendU16(out, static_cast<std::uint32_t>(data.size()));
    append(out, data);
    return out;
}
inline Bytes actionPushStrings(const std::vector<std::string>& values) {
    Bytes data;
    for (const auto& v : values) {
        data.push_back(0); // string
        appendString(data, v);
    }
    Bytes out{0x96};
    appendU16(out, static_cast<std::uint32_t>(data.size()));
    append(out, data);
    return out;
}
inline Bytes actionGetVariable() {
    return {0x1C};
}
// GetURL2 with no variables sent: pops the target, then the address. Flags 0xC0 load variables into the
// target clip.
inline Bytes actionGetUrl2(std::uint8_t flags = 0) {
    return {0x9A, 0x01, 0x00, flags};
}
inline Bytes actionStop() {
    return {0x07};
}
inline Bytes doAction(const Bytes& actions) {
    Bytes body = actions;
    body.push_back(0); // end of actions
    return tag(12, body);
}
inline Bytes showFrame() {
    return tag(1, {});
}

// An uncompressed movie of the given stage size (pixels), frame rate and frames (each frame's tags end with
// their own showFrame()).
inline Bytes movie(int width, int height, int frameRate, const std::vector<Bytes>& tags, int frameCount = 1,
                   std::uint8_t version = 8) {
    Bytes body = rect(0, width * 20, 0, height * 20);
    appendU16(body, static_cast<std::uint32_t>(frameRate << 8));
    appendU16(body, static_cast<std::uint32_t>(frameCount));
    for (const auto& t : tags) {
        append(body, t);
    }
    appendU16(body, 0); // End
    Bytes out{'F', 'W', 'S', version};
    appendU32(out, static_cast<std::uint32_t>(8 + body.size()));
    append(out, body);
    return out;
}

} // namespace glw::qt::movie::test
