// The colour presets file: one table of files written and read both ways, the values of a preset's data,
// the presets the writer refuses, and the shipped file.
#include "CaseTable.h"
#include "base/FileIo.h"
#include "formats/ColourPresets.h"

namespace glw::formats {
namespace {

using test::Way;

// Files with other line ends, or with lines the reader skips, are only read.
const test::CaseRow<ColourPresets> kCases[] = {
    {"no presets", "", {}},
    {"one preset, the example line", "[Ocean]-+(0){64}<128>+-\r\n", {{{"Ocean", "(0){64}<128>"}}}},
    {"two presets in file order",
     "[Red]-+(255){0}<0>+-\r\n[Grey]-+(128){128}<128>+-\r\n",
     {{{"Red", "(255){0}<0>"}, {"Grey", "(128){128}<128>"}}}},
    {"duplicate names are separate presets",
     "[Odd]-+(1){1}<1>+-\r\n[Odd]-+(2){2}<2>+-\r\n",
     {{{"Odd", "(1){1}<1>"}, {"Odd", "(2){2}<2>"}}}},
    {"data is kept as text, odd values included", "[Odd]-+( 12.5 ){abc}<-3>+-\r\n", {{{"Odd", "( 12.5 ){abc}<-3>"}}}},
    {"marks of the other part inside a name or data", "[a+-[b]-+x]-+y+-\r\n", {{{"a+-[b", "x]-+y"}}}},
    {"data ending in a plus", "[n]-+x++-\r\n", {{{"n", "x+"}}}},
    {"lines end at CR, LF or CR LF, the last at the end of the file",
     "[A]-+(1){2}<3>+-\r[B]-+(4){5}<6>+-\n[C]-+(7){8}<9>+-",
     {{{"A", "(1){2}<3>"}, {"B", "(4){5}<6>"}, {"C", "(7){8}<9>"}}},
     Way::ReadOnly},
    {"lines without a name, without data, and blank lines are skipped",
     "Ocean-+(0){64}<128>+-\r\n[Sky](0){64}<128>\r\n\r\n[]-+(1){1}<1>+-\r\n[Void]-++-\r\n[NoGreen]-+(10)<30>+-\n",
     {{{"NoGreen", "(10)<30>"}}},
     Way::ReadOnly},
    {"text around the marks is no part of a preset",
     "x [Sea] y -+(1){2}<3>+- z\r\n",
     {{{"Sea", "(1){2}<3>"}}},
     Way::ReadOnly},
};

TEST(ColourPresets, WritesAndReadsEachCase) {
    test::runBothWays<ColourPresets>(kCases, writeColourPresets, readColourPresets);
}

TEST(ColourPresets, TheValuesOfAPresetsData) {
    const struct {
        const char* data;
        PresetColour colour;
    } cases[] = {
        {"(0){64}<128>", {0, 64, 128}},
        {"(255){0}<0>", {255, 0, 0}},
        {"( 12.5 ){abc}<-3>", {12.5, 0, -3}}, // a fraction, a word, a negative value: no range is enforced
        {"(10)<30>", {10, 0, 30}},            // the green part is missing
        {"<3>{2}(1)", {1, 2, 3}},             // each value by its own marks, wherever they stand
        {"(7px){&H10}<1E2>", {7, 16, 100}},   // the number at the start, as Val reads it
        {"(1E+999){1}<1>", {0, 1, 1}},        // beyond the range of a number
        {"", {0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readPresetColour(c.data), c.colour) << c.data;
    }
}

TEST(ColourPresets, WritesValuesThatReadBack) {
    const struct {
        PresetColour colour;
        const char* data;
    } cases[] = {
        {{255, 128, 64}, "(255){128}<64>"},
        {{0, 0, 0}, "(0){0}<0>"},
        {{12.5, 0.5, -3}, "(12.5){0.5}<-3>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(writePresetColour(c.colour), c.data);
        EXPECT_EQ(readPresetColour(c.data), c.colour) << c.data;
    }
}

TEST(ColourPresets, RefusesPresetsThatWouldBeSkippedOrCutShort) {
    const struct {
        ColourPreset preset;
        const char* message;
    } cases[] = {
        {{"", "(1){2}<3>"}, "The name of a preset is empty."},
        {{"Sea", ""}, "The data of a preset is empty."},
        {{"Se]a", "(1){2}<3>"}, "The name \"Se]a\" may not hold \"]\"."},
        {{"Se-+a", "(1){2}<3>"}, "The name \"Se-+a\" may not hold \"-+\"."},
        {{"Sea", "(1)+-{2}"}, "The data \"(1)+-{2}\" may not hold \"+-\"."},
        {{"Sea\r\n", "(1)"}, "The name \"Sea\r\n\" may not hold a line break."},
        {{"Sea", "(1)\n"}, "The data \"(1)\n\" may not hold a line break."},
    };
    for (const auto& c : cases) {
        test::expectRefused(writeColourPresets({{{"Fine", "(0){0}<0>"}, c.preset}}), c.message);
    }
}

TEST(ColourPresets, TheShippedPresetsAllRead) {
    auto text = base::readWholeFile(GLW_APP_DIR "/cpresets.fpf");
    if (!text) {
        GTEST_SKIP() << "no application folder";
    }
    const ColourPresets shipped = readColourPresets(*text);
    EXPECT_GE(shipped.presets.size(), 4u);
    size_t lines = 0;
    for (char c : *text) {
        lines += c == '\n';
    }
    EXPECT_EQ(shipped.presets.size(), lines); // no line is skipped
    auto again = writeColourPresets(shipped);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(*again, *text);
}

} // namespace
} // namespace glw::formats
