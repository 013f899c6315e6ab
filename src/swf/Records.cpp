// Small SWF records shared by several tags: RECT, MATRIX, colour transforms, filter lists, strings.
#include "swf/Records.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace glw::swf {

Rect readRect(ByteReader& r) {
    r.align();
    unsigned bits = r.ub(5);
    Rect rect;
    rect.xMin = r.sb(bits);
    rect.xMax = r.sb(bits);
    rect.yMin = r.sb(bits);
    rect.yMax = r.sb(bits);
    r.align();
    return rect;
}

void writeRect(ByteWriter& w, const Rect& rect) {
    w.align();
    unsigned bits = bitsForSigned({rect.xMin, rect.xMax, rect.yMin, rect.yMax});
    w.ub(bits, 5);
    w.sb(rect.xMin, bits);
    w.sb(rect.xMax, bits);
    w.sb(rect.yMin, bits);
    w.sb(rect.yMax, bits);
    w.align();
}

Matrix readMatrix(ByteReader& r) {
    r.align();
    Matrix m;
    m.hasScale = r.ub(1) != 0;
    if (m.hasScale) {
        unsigned bits = r.ub(5);
        m.scaleX = r.sb(bits);
        m.scaleY = r.sb(bits);
    }
    m.hasRotate = r.ub(1) != 0;
    if (m.hasRotate) {
        unsigned bits = r.ub(5);
        m.rotateSkew0 = r.sb(bits);
        m.rotateSkew1 = r.sb(bits);
    }
    unsigned bits = r.ub(5);
    m.translateX = r.sb(bits);
    m.translateY = r.sb(bits);
    r.align();
    return m;
}

void writeMatrix(ByteWriter& w, const Matrix& m) {
    w.align();
    w.ub(m.hasScale ? 1 : 0, 1);
    if (m.hasScale) {
        unsigned bits = bitsForSigned({m.scaleX, m.scaleY});
        w.ub(bits, 5);
        w.sb(m.scaleX, bits);
        w.sb(m.scaleY, bits);
    }
    w.ub(m.hasRotate ? 1 : 0, 1);
    if (m.hasRotate) {
        unsigned bits = bitsForSigned({m.rotateSkew0, m.rotateSkew1});
        w.ub(bits, 5);
        w.sb(m.rotateSkew0, bits);
        w.sb(m.rotateSkew1, bits);
    }
    unsigned bits = bitsForSigned({m.translateX, m.translateY});
    w.ub(bits, 5);
    w.sb(m.translateX, bits);
    w.sb(m.translateY, bits);
    w.align();
}

namespace {

// Field widths are 5-bit counts, so a term holds at most 31 signed bits.
constexpr double kMaxTerm = 1073741823.0;

std::int32_t clampedTerm(double v) {
    return static_cast<std::int32_t>(std::lround(std::clamp(v, -kMaxTerm, kMaxTerm)));
}

} // namespace

Matrix scaledMatrix(const Matrix& m, double sx, double sy) {
    Matrix out = m;
    // [sx 0; 0 sy] * [a c tx; b d ty]: x' = a*x + c*y + tx scales by sx, y' by sy.
    double a = m.hasScale ? m.scaleX : 0x10000;
    double d = m.hasScale ? m.scaleY : 0x10000;
    out.hasScale = true;
    out.scaleX = clampedTerm(a * sx);
    out.scaleY = clampedTerm(d * sy);
    if (m.hasRotate) {
        out.rotateSkew0 = clampedTerm(m.rotateSkew0 * sy);
        out.rotateSkew1 = clampedTerm(m.rotateSkew1 * sx);
    }
    out.translateX = clampedTerm(m.translateX * sx);
    out.translateY = clampedTerm(m.translateY * sy);
    return out;
}

void skipColorTransform(ByteReader& r, bool withAlpha) {
    r.align();
    bool hasAdd = r.ub(1) != 0;
    bool hasMult = r.ub(1) != 0;
    unsigned bits = r.ub(4);
    unsigned terms = (withAlpha ? 4u : 3u) * ((hasAdd ? 1u : 0u) + (hasMult ? 1u : 0u));
    for (unsigned i = 0; i < terms; ++i) {
        r.ub(bits);
    }
    r.align();
}

void skipFilterList(ByteReader& r) {
    unsigned count = r.u8();
    for (unsigned i = 0; i < count && !r.failed(); ++i) {
        switch (r.u8()) {
        case 0:
            r.skip(23);
            break; // drop shadow
        case 1:
            r.skip(9);
            break; // blur
        case 2:
            r.skip(15);
            break; // glow
        case 3:
            r.skip(27);
            break; // bevel
        case 4:    // gradient glow
        case 7: {  // gradient bevel
            unsigned colors = r.u8();
            r.skip(5u * colors + 19u);
            break;
        }
        case 5: { // convolution
            unsigned x = r.u8();
            unsigned y = r.u8();
            r.skip(8u + 4u * x * y + 5u);
            break;
        }
        case 6:
            r.skip(80);
            break; // colour matrix
        default:
            r.fail();
            break;
        }
    }
}

namespace {

// Windows-1252 code points of the bytes 0x80 to 0x9F (0 where the code page leaves a byte unused).
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

char32_t cp1252ToUnicode(std::uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        char16_t c = kCp1252High[byte - 0x80];
        return c ? c : byte;
    }
    return byte;
}

std::uint8_t unicodeToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
        return static_cast<std::uint8_t>(c);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] && kCp1252High[i] == c) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return 0;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
        c = 0xFFFD;
    }
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::u32string utf8ToUtf32(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<std::uint8_t>(s[i]);
        unsigned extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool ok = i + extra < s.size();
        for (unsigned k = 1; ok && k <= extra; ++k) {
            auto cb = static_cast<std::uint8_t>(s[i + k]);
            if ((cb & 0xC0) != 0x80) {
                ok = false;
            } else {
                c = (c << 6) | (cb & 0x3F);
            }
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(c);
        i += extra + 1;
    }
    return out;
}

std::string utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        appendUtf8(out, c);
    }
    return out;
}

std::string codePointName(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

std::string decodeMovieText(std::string_view bytes, std::uint8_t version) {
    if (version >= 6) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        appendUtf8(out, cp1252ToUnicode(static_cast<std::uint8_t>(ch)));
    }
    return out;
}

std::string encodeMovieText(std::string_view utf8, std::uint8_t version) {
    if (version >= 6) {
        return std::string(utf8);
    }
    std::string out;
    for (char32_t c : utf8ToUtf32(utf8)) {
        std::uint8_t b = unicodeToCp1252(c);
        out.push_back(static_cast<char>(b ? b : '?'));
    }
    return out;
}

} // namespace glw::swf
