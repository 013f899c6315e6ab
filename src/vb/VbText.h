// The text and number rules of the system's original language: Val, whole-number conversion, the number
// forms of Str, Print # and CStr, and the ASCII case-insensitive search and comparison of its texts.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace glw::vb {

// Texts are byte strings (the system's code page); positions are 1-based as in the original language.
// Functions given an argument outside their contract raise RuntimeError 5 (invalid procedure call),
// conversions out of range raise 6 (overflow) and texts that are no number raise 13 (type mismatch).

// The standard description of a run-time error number ("File not found" for 53).
std::string errorDescription(int number);

// ---- Numbers ----

// Val: the number at the start of a text. Blanks, tabs and line feeds are skipped everywhere, also inside
// the number (" 1 2" gives 12); then an optional sign, digits, one ".", an exponent "E" or "D" with its own
// sign; "&H" hexadecimal and "&O" octal whole numbers (read as 16-bit when they fit in 4 digits, 32-bit in
// 8, so "&HFFFF" is -1). 0 when the text does not begin with a number. Raises 6 beyond the Double range.
double Val(std::string_view text);

// CDbl of a text: the whole text must be a number (blanks allowed around it, "&H" and "&O" forms too).
double CDbl(std::string_view text);

// Whole numbers, rounded to the nearest, ties to the even one (2.5 gives 2, 3.5 gives 4).
// CInt: -32768 to 32767; CLng: -2147483648 to 2147483647; otherwise 6. A text is read as by CDbl.
std::int16_t CInt(double value);
std::int32_t CLng(double value);
std::int16_t CInt(std::string_view text);
std::int32_t CLng(std::string_view text);
// Disambiguate string literals and std::string (which would otherwise also match the double overloads' rivals).
inline std::int16_t CInt(const char* text) {
    return CInt(std::string_view(text));
}
inline std::int32_t CLng(const char* text) {
    return CLng(std::string_view(text));
}
inline std::int16_t CInt(const std::string& text) {
    return CInt(std::string_view(text));
}
inline std::int32_t CLng(const std::string& text) {
    return CLng(std::string_view(text));
}

// Str: the number form of Str and Print #: one leading blank when not negative, "." as the decimal point
// whatever the locale, up to 15 significant digits, no leading zero before the point and no trailing zeros
// (Str(0.5) = " .5", Str(-1.5) = "-1.5", Str(100) = " 100"); exponent form from 1E+15 up and below 0.0001
// (" 1E+15", " 1.5E-07").
std::string Str(double value);
template <std::integral T> std::string Str(T value) {
    return (value < 0 ? "" : " ") + std::to_string(value);
}
// The form Print # writes a number in: the same as Str.
inline std::string printForm(double value) {
    return Str(value);
}

// CStr of a number: no leading blank, a "0" before the point (CStr(0.5) = "0.5"), "." as the point.
std::string CStr(double value);
template <std::integral T> std::string CStr(T value) {
    return std::to_string(value);
}

// ---- Texts ----

enum class CompareMethod { Binary, Text };
inline constexpr CompareMethod vbBinaryCompare = CompareMethod::Binary;
inline constexpr CompareMethod vbTextCompare = CompareMethod::Text; // ASCII letters without regard to case

// InStr: the position of the first `find` in `text` at or after `start`, 0 when there is none. An empty
// `find` gives `start` when start <= Len(text) + 1; an empty `text` gives 0. `start` below 1 raises 5.
long InStr(long start, std::string_view text, std::string_view find, CompareMethod compare = vbBinaryCompare);
inline long InStr(std::string_view text, std::string_view find, CompareMethod compare = vbBinaryCompare) {
    return InStr(1, text, find, compare);
}

// The text between the first `start` and the next `end` after it, both found without regard to case; "" when
// either is missing. An empty `start` starts at the beginning; an empty `end` gives "".
std::string textBetween(std::string_view text, std::string_view start, std::string_view end);

// StrComp: -1, 0 or 1. Text comparison folds ASCII letters to lower case first.
int StrComp(std::string_view a, std::string_view b, CompareMethod compare = vbBinaryCompare);
inline int StrCompText(std::string_view a, std::string_view b) {
    return StrComp(a, b, vbTextCompare);
}
inline bool EqualsText(std::string_view a, std::string_view b) {
    return StrCompText(a, b) == 0;
}

// UCase and LCase change ASCII letters only.
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);

// Trim, LTrim and RTrim remove blanks (character 32) only; tabs and line breaks stay.
std::string Trim(std::string_view text);
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);

// Left and Right: the first or last `length` characters (the whole text when it is shorter); a negative
// length raises 5. Mid: from 1-based `start`, `length` characters or the rest; a start beyond the end gives
// "", a start below 1 or a negative length raises 5.
std::string Left(std::string_view text, long length);
std::string Right(std::string_view text, long length);
std::string Mid(std::string_view text, long start);
std::string Mid(std::string_view text, long start, long length);

// Chr: the one-character text of a code 0 to 255 (else 5). Asc: the code of the first character
// (0 to 255; 5 for an empty text).
std::string Chr(int code);
int Asc(std::string_view text);

} // namespace glw::vb
