// Text and number rules of the original language, written without the C locale so that "." is always the
// decimal point and case folding touches ASCII letters only.
#include "VbText.h"

#include "VbError.h"
#include "base/Ascii.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace glw::vb {

namespace {

using base::lowerAscii;
using base::upperAscii;

bool isValBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') {
        v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        v = c - 'A' + 10;
    }
    return v < base ? v : -1;
}

struct Scan {
    double value = 0;
    std::size_t end = 0; // index after the last character that belongs to the number
    bool digits = false; // at least one digit was read
};

// Reads a number from `text` at `i`. With `innerBlanks`, blanks, tabs and line feeds are skipped between
// its characters as Val does.
Scan scanNumber(std::string_view text, std::size_t i, bool innerBlanks) {
    Scan scan;
    auto skip = [&] {
        while (innerBlanks && i < text.size() && isValBlank(text[i])) {
            ++i;
        }
    };
    skip();
    if (i < text.size() && text[i] == '&') {
        std::size_t at = i + 1;
        int base = 8;
        if (at < text.size() && (text[at] == 'H' || text[at] == 'h')) {
            base = 16, ++at;
        } else if (at < text.size() && (text[at] == 'O' || text[at] == 'o')) {
            ++at;
        }
        i = at;
        std::uint64_t v = 0;
        bool tooLong = false;
        skip();
        while (i < text.size() && digitValue(text[i], base) >= 0) {
            v = v * std::uint64_t(base) + std::uint64_t(digitValue(text[i], base));
            if (v > 0xFFFFFFFFull) {
                tooLong = true, v = 0xFFFFFFFFull + 1;
            }
            scan.digits = true;
            ++i;
            scan.end = i;
            skip();
        }
        if (!scan.digits) {
            return scan;
        }
        if (tooLong) {
            raise(ErrOverflow, errorDescription(ErrOverflow));
        }
        // Hexadecimal and octal numbers are 16-bit when they fit, else 32-bit, both signed.
        if (v <= 0xFFFF) {
            scan.value = double(std::int16_t(std::uint16_t(v)));
        } else {
            scan.value = double(std::int32_t(std::uint32_t(v)));
        }
        return scan;
    }

    std::string clean;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            clean += '-';
        }
        ++i;
        skip();
    }
    bool point = false;
    while (i < text.size() && (isDigit(text[i]) || (text[i] == '.' && !point))) {
        if (text[i] == '.') {
            point = true, clean += '.';
        } else {
            clean += text[i], scan.digits = true;
        }
        ++i;
        scan.end = i;
        skip();
    }
    if (!scan.digits) {
        return Scan{};
    }
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t at = i + 1;
        std::string exponent = "e";
        auto skipAt = [&] {
            while (innerBlanks && at < text.size() && isValBlank(text[at])) {
                ++at;
            }
        };
        skipAt();
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            exponent += text[at++];
        }
        skipAt();
        bool expDigits = false;
        while (at < text.size() && isDigit(text[at])) {
            exponent += text[at++];
            expDigits = true;
            scan.end = at;
            skipAt();
        }
        if (expDigits) {
            clean += exponent;
        }
    }
    const char* first = clean.data();
    if (*first == '-') {
        ++first;
    }
    double magnitude = 0;
    auto [ptr, ec] = std::from_chars(first, clean.data() + clean.size(), magnitude);
    if (ec == std::errc::result_out_of_range) {
        // Underflow to a tiny number is 0; overflow is an error.
        if (clean.find("e-") != std::string::npos) {
            magnitude = 0;
        } else {
            raise(ErrOverflow, errorDescription(ErrOverflow));
        }
    }
    (void)ptr;
    scan.value = clean[0] == '-' ? -magnitude : magnitude;
    return scan;
}

double roundHalfEven(double value) {
    double floorValue = std::floor(value);
    double diff = value - floorValue;
    if (diff < 0.5) {
        return floorValue;
    }
    if (diff > 0.5) {
        return floorValue + 1;
    }
    return std::fmod(floorValue, 2.0) == 0 ? floorValue : floorValue + 1;
}

template <class T> T toWhole(double value) {
    if (std::isnan(value)) {
        raise(ErrOverflow, errorDescription(ErrOverflow));
    }
    double rounded = roundHalfEven(value);
    if (rounded < double(std::numeric_limits<T>::min()) || rounded > double(std::numeric_limits<T>::max())) {
        raise(ErrOverflow, errorDescription(ErrOverflow));
    }
    return T(rounded);
}

// The shortest form of a number with up to 15 significant digits. `leadingZero` writes "0.5" (CStr)
// instead of ".5" (Str).
std::string numberForm(double value, bool leadingZero) {
    if (!std::isfinite(value)) {
        raise(ErrOverflow, errorDescription(ErrOverflow));
    }
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::string_view text(buffer, std::size_t(result.ptr - buffer)); // "-d.ddddddddddddddde+XX"
    bool negative = text[0] == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c != '.') {
            digits += c;
        }
    }
    int exponent = 0;
    std::string_view expText = text.substr(e + 1);
    if (!expText.empty() && expText[0] == '+') {
        expText.remove_prefix(1);
    }
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) {
            out += '0';
        }
        out += std::to_string(magnitude);
        return out;
    }
    if (exponent >= 0) {
        std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out += digits.substr(0, whole);
            out += '.';
            out += digits.substr(whole);
        }
        return out;
    }
    if (leadingZero) {
        out += '0';
    }
    out += '.';
    out.append(std::size_t(-exponent - 1), '0');
    out += digits;
    return out;
}

} // namespace

std::string errorDescription(int number) {
    switch (number) {
    case 3:
        return "Return without GoSub";
    case 5:
        return "Invalid procedure call or argument";
    case 6:
        return "Overflow";
    case 7:
        return "Out of memory";
    case 9:
        return "Subscript out of range";
    case 11:
        return "Division by zero";
    case 13:
        return "Type mismatch";
    case 52:
        return "Bad file name or number";
    case 53:
        return "File not found";
    case 54:
        return "Bad file mode";
    case 55:
        return "File already open";
    case 57:
        return "Device I/O error";
    case 58:
        return "File already exists";
    case 61:
        return "Disk full";
    case 62:
        return "Input past end of file";
    case 63:
        return "Bad record number";
    case 67:
        return "Too many files";
    case 68:
        return "Device unavailable";
    case 70:
        return "Permission denied";
    case 71:
        return "Disk not ready";
    case 74:
        return "Can't rename with different drive";
    case 75:
        return "Path/File access error";
    case 76:
        return "Path not found";
    case 91:
        return "Object variable or With block variable not set";
    case 380:
        return "Invalid property value";
    case 424:
        return "Object required";
    case 438:
        return "Object doesn't support this property or method";
    case 440:
        return "Automation error";
    default:
        return "Application-defined or object-defined error";
    }
}

double Val(std::string_view text) {
    return scanNumber(text, 0, true).value;
}

double CDbl(std::string_view text) {
    std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        raise(ErrTypeMismatch, errorDescription(ErrTypeMismatch));
    }
    Scan scan = scanNumber(text, start, false);
    if (!scan.digits || text.find_first_not_of(' ', scan.end) != std::string_view::npos) {
        raise(ErrTypeMismatch, errorDescription(ErrTypeMismatch));
    }
    return scan.value;
}

std::int16_t CInt(double value) {
    return toWhole<std::int16_t>(value);
}
std::int32_t CLng(double value) {
    return toWhole<std::int32_t>(value);
}
std::int16_t CInt(std::string_view text) {
    return CInt(CDbl(text));
}
std::int32_t CLng(std::string_view text) {
    return CLng(CDbl(text));
}

std::string Str(double value) {
    std::string form = numberForm(value, false);
    return form[0] == '-' ? form : " " + form;
}

std::string CStr(double value) {
    return numberForm(value, true);
}

long InStr(long start, std::string_view text, std::string_view find, CompareMethod compare) {
    if (start < 1) {
        raise(ErrInvalidCall, errorDescription(ErrInvalidCall));
    }
    if (text.empty()) {
        return 0;
    }
    auto from = std::size_t(start - 1);
    if (find.empty()) {
        return from <= text.size() ? start : 0;
    }
    if (from >= text.size() || find.size() > text.size() - from) {
        return 0;
    }
    for (std::size_t at = from; at + find.size() <= text.size(); ++at) {
        bool same = true;
        for (std::size_t k = 0; k < find.size() && same; ++k) {
            char a = text[at + k];
            char b = find[k];
            same = compare == vbTextCompare ? lowerAscii(a) == lowerAscii(b) : a == b;
        }
        if (same) {
            return long(at + 1);
        }
    }
    return 0;
}

std::string textBetween(std::string_view text, std::string_view start, std::string_view end) {
    const long p1 = InStr(1, text, start, vbTextCompare);
    if (p1 == 0 || end.empty()) {
        return "";
    }
    const long s = p1 + long(start.size());
    const long p2 = InStr(s, text, end, vbTextCompare);
    if (p2 == 0) {
        return "";
    }
    return std::string(text.substr(std::size_t(s - 1), std::size_t(p2 - s)));
}

int StrComp(std::string_view a, std::string_view b, CompareMethod compare) {
    if (compare == vbTextCompare) {
        return base::icompare(a, b);
    }
    const int order = a.compare(b); // std::string_view compares bytes as unsigned char
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

std::string UCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = upperAscii(c);
    }
    return out;
}

std::string LCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = lowerAscii(c);
    }
    return out;
}

std::string LTrim(std::string_view text) {
    std::size_t start = text.find_first_not_of(' ');
    return start == std::string_view::npos ? std::string() : std::string(text.substr(start));
}

std::string RTrim(std::string_view text) {
    std::size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string Trim(std::string_view text) {
    return LTrim(RTrim(text));
}

std::string Left(std::string_view text, long length) {
    if (length < 0) {
        raise(ErrInvalidCall, errorDescription(ErrInvalidCall));
    }
    return std::string(text.substr(0, std::size_t(length)));
}

std::string Right(std::string_view text, long length) {
    if (length < 0) {
        raise(ErrInvalidCall, errorDescription(ErrInvalidCall));
    }
    std::size_t n = std::min(text.size(), std::size_t(length));
    return std::string(text.substr(text.size() - n));
}

std::string Mid(std::string_view text, long start) {
    if (start < 1) {
        raise(ErrInvalidCall, errorDescription(ErrInvalidCall));
    }
    if (std::size_t(start) > text.size()) {
        return {};
    }
    return std::string(text.substr(std::size_t(start - 1)));
}

std::string Mid(std::string_view text, long start, long length) {
    if (start < 1 || length < 0) {
        raise(ErrInvalidCall, errorDescription(ErrInvalidCall));
    }
    if (std::size_t(start) > text.size()) {
        return {};
    }
    return std::string(text.substr(std::size_t(start - 1), std::size_t(length)));
}

std::string Chr(int code) {
    if (code < 0 || code > 255) {
        raise(ErrInvalidCall, errorDescription(ErrInvalidCall));
    }
    return std::string(1, char(static_cast<unsigned char>(code)));
}

int Asc(std::string_view text) {
    if (text.empty()) {
        raise(ErrInvalidCall, errorDescription(ErrInvalidCall));
    }
    return static_cast<unsigned char>(text[0]);
}

} // namespace glw::vb
