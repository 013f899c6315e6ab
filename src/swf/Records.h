// Small SWF records shared by several tags: RECT, MATRIX, colour transforms, filter lists, strings.
#pragma once

#include "swf/Bytes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace glw::swf {

// A rectangle in twips (1/20 pixel), as the format stores it.
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;

    std::int32_t width() const { return xMax - xMin; }
    std::int32_t height() const { return yMax - yMin; }
    bool operator==(const Rect&) const = default;
};

Rect readRect(ByteReader& r);
void writeRect(ByteWriter& w, const Rect& rect);

// A 2x3 transform. Scale and rotate/skew terms are 16.16 fixed point, translation is in twips.
struct Matrix {
    bool hasScale = false;
    std::int32_t scaleX = 0x10000;
    std::int32_t scaleY = 0x10000;
    bool hasRotate = false;
    std::int32_t rotateSkew0 = 0;
    std::int32_t rotateSkew1 = 0;
    std::int32_t translateX = 0;
    std::int32_t translateY = 0;
};

Matrix readMatrix(ByteReader& r);
void writeMatrix(ByteWriter& w, const Matrix& m);

// Left-multiplies by a stage scale: what the matrix places is scaled by (sx, sy) about the origin.
// Terms that would leave their field range are clamped.
Matrix scaledMatrix(const Matrix& m, double sx, double sy);

// Skips records whose content this code never changes, checking their extent.
void skipColorTransform(ByteReader& r, bool withAlpha);
void skipFilterList(ByteReader& r);

// SWF 6 and later store text as UTF-8; older movies use the author's ANSI code page, read here as
// Windows-1252. These convert between a movie's bytes and the UTF-8 the engine hands out.
std::string decodeMovieText(std::string_view bytes, std::uint8_t version);
std::string encodeMovieText(std::string_view utf8, std::uint8_t version);

// UTF-8 to code points and back; invalid sequences become U+FFFD.
std::u32string utf8ToUtf32(std::string_view utf8);
std::string utf32ToUtf8(std::u32string_view text);
void appendUtf8(std::string& out, char32_t c);

// "U+1F600": a character named by its code point, for messages.
std::string codePointName(char32_t c);

// Windows-1252 byte to code point and back (0 when the code point has no byte).
char32_t cp1252ToUnicode(std::uint8_t byte);
std::uint8_t unicodeToCp1252(char32_t c);

} // namespace glw::swf
