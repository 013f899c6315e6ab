// Tests of the text and number rules, one table per rule.
#include "vb/VbError.h"
#include "vb/VbText.h"

#include <clocale>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace glw::vb {
namespace {

int errorOf(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

TEST(VbText, ValTakesTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"12", 12},    {"  12.5px", 12.5}, {"12.5.6", 12.5}, {" 1 2 3", 123},    {"\t-\n5", -5},     {"+7", 7},
        {"-.5", -0.5}, {".", 0},           {"", 0},          {"abc", 0},         {"x12", 0},         {"1,000", 1},
        {"1E3", 1000}, {"1.5e-2", 0.015},  {"2D2", 200},     {"1E", 1},          {"1E+", 1},         {"3 E 2", 300},
        {"&H10", 16},  {"&hff", 255},      {"&HFFFF", -1},   {"&H8000", -32768}, {"&H10000", 65536}, {"&HFFFFFFFF", -1},
        {"&O17", 15},  {"&", 0},           {"&Hxyz", 0},     {"12\r\n", 12},     {"1e-400", 0},      {"0012", 12},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(Val(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_EQ(errorOf([] { Val("1E400"); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { Val("&H123456789"); }), ErrOverflow);
}

TEST(VbText, WholeNumbersRoundHalfToEven) {
    struct Case {
        double value;
        int expected;
    } cases[] = {
        {0.5, 0},         {1.5, 2},           {2.5, 2},         {3.5, 4},         {-0.5, 0},
        {-1.5, -2},       {-2.5, -2},         {2.4, 2},         {2.6, 3},         {12.0, 12},
        {32767.4, 32767}, {-32768.5, -32768}, {240.0 / 20, 12}, {250.0 / 20, 12}, {270.0 / 20, 14},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CInt(c.value), c.expected) << c.value;
        EXPECT_EQ(CLng(c.value), c.expected) << c.value;
    }
    EXPECT_EQ(CLng(2147483647.4), 2147483647);
    EXPECT_EQ(CLng(-2147483648.0), -2147483647 - 1);
    struct Overflow {
        std::function<void()> conversion;
    } overflows[] = {
        {[] { CInt(32767.5); }},       {[] { CInt(-32769.0); }},     {[] { CLng(2147483647.5); }},
        {[] { CLng(-2147483649.0); }}, {[] { CInt(std::nan("")); }}, {[] { CInt("40000"); }},
    };
    for (const Overflow& o : overflows) {
        EXPECT_EQ(errorOf(o.conversion), ErrOverflow);
    }
}

TEST(VbText, TextsToNumbersMustBeNumbers) {
    EXPECT_EQ(CInt(" 12 "), 12);
    EXPECT_EQ(CInt("12.5"), 12);
    EXPECT_EQ(CLng("&H10"), 16);
    EXPECT_EQ(CLng("-3e2"), -300);
    EXPECT_DOUBLE_EQ(CDbl("0.25"), 0.25);
    for (const char* bad : {"", "   ", "abc", "12px", "1 2", "&H", "-"}) {
        EXPECT_EQ(errorOf([&] { CInt(bad); }), ErrTypeMismatch) << '"' << bad << '"';
    }
}

TEST(VbText, NumberFormsOfStrAndCStr) {
    struct Case {
        double value;
        const char* str;
        const char* cstr;
    } cases[] = {
        {0, " 0", "0"},
        {100, " 100", "100"},
        {400, " 400", "400"},
        {12.5, " 12.5", "12.5"},
        {0.5, " .5", "0.5"},
        {-0.5, "-.5", "-0.5"},
        {-1.5, "-1.5", "-1.5"},
        {1.0 / 3, " .333333333333333", "0.333333333333333"},
        {0.1 + 0.2, " .3", "0.3"},
        {2.0 / 3, " .666666666666667", "0.666666666666667"},
        {123456789012345, " 123456789012345", "123456789012345"},
        {1e15, " 1E+15", "1E+15"},
        {-2.5e20, "-2.5E+20", "-2.5E+20"},
        {1e100, " 1E+100", "1E+100"},
        {0.0001, " .0001", "0.0001"},
        {0.00001, " 1E-05", "1E-05"},
        {1.5e-7, " 1.5E-07", "1.5E-07"},
        {1.5, " 1.5", "1.5"},
        {-0.0, " 0", "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Str(c.value), c.str) << c.value;
        EXPECT_EQ(printForm(c.value), c.str) << c.value;
        EXPECT_EQ(CStr(c.value), c.cstr) << c.value;
    }
    EXPECT_EQ(Str(42), " 42");
    EXPECT_EQ(Str(-42L), "-42");
    EXPECT_EQ(CStr(-12), "-12");
}

TEST(VbText, NumberFormsIgnoreTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_EQ(Str(12.5), " 12.5");
    EXPECT_EQ(CStr(0.25), "0.25");
    EXPECT_DOUBLE_EQ(Val("12.5"), 12.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(VbText, InStrFindsFromAStartPosition) {
    struct Case {
        long start;
        const char* text;
        const char* find;
        CompareMethod compare;
        long position;
    } cases[] = {
        {1, "x[a]y", "[", vbBinaryCompare, 2},
        {3, "x[a]y[b]", "[", vbBinaryCompare, 6},
        {1, "ABC", "b", vbBinaryCompare, 0},
        {1, "ABC", "b", vbTextCompare, 2},
        {1, "Hello hello", "HELLO", vbTextCompare, 1},
        {2, "Hello hello", "HELLO", vbTextCompare, 7},
        {1, "abc", "", vbBinaryCompare, 1},
        {4, "abc", "", vbBinaryCompare, 4},
        {5, "abc", "", vbBinaryCompare, 0},
        {1, "", "", vbBinaryCompare, 0},
        {1, "", "a", vbBinaryCompare, 0},
        {9, "abc", "c", vbBinaryCompare, 0},
        {1, "ab", "abc", vbBinaryCompare, 0},
        {1, "\xC4rger", "\xE4", vbTextCompare, 0}, // only ASCII letters fold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InStr(c.start, c.text, c.find, c.compare), c.position) << c.start << " " << c.text << " " << c.find;
    }
    EXPECT_EQ(InStr("abcabc", "c"), 3);
    EXPECT_EQ(errorOf([] { InStr(0, "abc", "a"); }), ErrInvalidCall);
}

TEST(VbText, ComparisonAndCase) {
    struct Case {
        const char* a;
        const char* b;
        int binary;
        int text;
    } cases[] = {
        {"abc", "abc", 0, 0},  {"ABC", "abc", -1, 0}, {"a", "B", 1, -1},
        {"ab", "abc", -1, -1}, {"_", "a", -1, -1},    {"", "", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StrComp(c.a, c.b), c.binary) << c.a << " " << c.b;
        EXPECT_EQ(StrCompText(c.a, c.b), c.text) << c.a << " " << c.b;
    }
    EXPECT_TRUE(EqualsText("WBLFPCommand", "wblfpcommand"));
    EXPECT_EQ(UCase("Wingdings 2 \xe9"), "WINGDINGS 2 \xe9");
    EXPECT_EQ(LCase("MT Symbol"), "mt symbol");
}

TEST(VbText, TrimRemovesBlanksOnly) {
    struct Case {
        const char* text;
        const char* trim;
        const char* ltrim;
        const char* rtrim;
    } cases[] = {
        {"  a b  ", "a b", "a b  ", "  a b"},
        {"\ta\t", "\ta\t", "\ta\t", "\ta\t"},
        {" \r\n ", "\r\n", "\r\n ", " \r\n"},
        {"   ", "", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Trim(c.text), c.trim);
        EXPECT_EQ(LTrim(c.text), c.ltrim);
        EXPECT_EQ(RTrim(c.text), c.rtrim);
    }
}

TEST(VbText, LeftRightMidClampAsTheOriginal) {
    EXPECT_EQ(Left("abc", 2), "ab");
    EXPECT_EQ(Left("abc", 9), "abc");
    EXPECT_EQ(Left("abc", 0), "");
    EXPECT_EQ(Right("abc", 2), "bc");
    EXPECT_EQ(Right("abc", 9), "abc");
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 5, 9), "ef");
    EXPECT_EQ(Mid("abcdef", 4), "def");
    EXPECT_EQ(Mid("abc", 4), "");
    EXPECT_EQ(Mid("abc", 9, 2), "");
    EXPECT_EQ(Mid("abc", 1, 0), "");
    for (auto bad : std::vector<std::function<void()>>{[] { Left("a", -1); }, [] { Right("a", -1); },
                                                       [] { Mid("a", 0); }, [] { Mid("a", 1, -1); }}) {
        EXPECT_EQ(errorOf(bad), ErrInvalidCall);
    }
}

TEST(VbText, ChrAndAsc) {
    EXPECT_EQ(Chr(13), "\r");
    EXPECT_EQ(Chr(0), std::string(1, '\0'));
    EXPECT_EQ(Asc("A"), 65);
    EXPECT_EQ(Asc("\xff"), 255);
    EXPECT_EQ(Asc(Chr(200)), 200);
    EXPECT_EQ(errorOf([] { Chr(256); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([] { Chr(-1); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([] { Asc(""); }), ErrInvalidCall);
}

TEST(VbText, ErrorDescriptionsAreTheStandardTexts) {
    EXPECT_EQ(errorDescription(53), "File not found");
    EXPECT_EQ(errorDescription(75), "Path/File access error");
    EXPECT_EQ(errorDescription(76), "Path not found");
    EXPECT_EQ(errorDescription(6), "Overflow");
    EXPECT_EQ(errorDescription(99999), "Application-defined or object-defined error");
}

} // namespace
} // namespace glw::vb
