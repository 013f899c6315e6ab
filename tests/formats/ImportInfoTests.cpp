// The import package's information line: one table of lines written and read both ways, the lines only the
// import meets, and the values the package maker refuses to write.
#include "CaseTable.h"
#include "formats/ImportInfo.h"

namespace glw::formats {
namespace {

using test::Way;

// Lines that other makers or a hand wrote are only read.
const test::CaseRow<ImportInfo> kCases[] = {
    {"the maker's line of a package of buttons",
     "[clipart]{Round blue buttons}\r\n",
     {"clipart", "Round blue buttons"}},
    {"an empty description", "[clipart]{}\r\n", {"clipart", ""}},
    {"a package of sound loops", "[MP3Loops]{Party sounds}\r\n", {"MP3Loops", "Party sounds"}},
    {"a category that no folder takes is still read", "[Calendars]{Twelve months}\r\n", {"Calendars", "Twelve months"}},
    {"the description may hold the category's marks and an opening brace",
     "[clipart]{[x] {y} z}\r\n",
     {"clipart", "[x] {y"},
     Way::ReadOnly},
    {"brackets and braces inside a description that the writer keeps",
     "[clipart]{a [b] {c}\r\n",
     {"clipart", "a [b] {c"}},
    {"an empty category", "[]{d}\r\n", {"", "d"}},
    {"only the first line is read", "[clipart]{First}\r\n[MP3Loops]{Second}\r\n", {"clipart", "First"}, Way::ReadOnly},
    {"a line without its line end", "[clipart]{Animals}", {"clipart", "Animals"}, Way::ReadOnly},
    {"a first line ended by LF alone", "[clipart]{A}\n[x]{y}", {"clipart", "A"}, Way::ReadOnly},
    {"a description that runs on to the next line is no description",
     "[clipart]{Two\r\nlines}\r\n",
     {"clipart", ""},
     Way::ReadOnly},
    {"the marks are found anywhere on the line", "junk {later} [clipart] more", {"clipart", "later"}, Way::ReadOnly},
    {"a line without marks names nothing", "clipart\r\n", {"", ""}, Way::ReadOnly},
    {"an empty file names nothing", "", {"", ""}, Way::ReadOnly},
    {"an unclosed bracket names no category", "[clipart{A}\r\n", {"", "A"}, Way::ReadOnly},
};

TEST(ImportInfo, WritesAndReadsEachCase) {
    test::runBothWays<ImportInfo>(kCases, writeImportInfo, readImportInfo);
}

TEST(ImportInfo, RefusesValuesThatWouldBeReadBackCutShort) {
    const struct {
        ImportInfo info;
        const char* message;
    } cases[] = {
        {{"clipart", "Round {blue} buttons"}, "The description \"Round {blue} buttons\" may not hold \"}\"."},
        {{"clipart", "Two\r\nlines"}, "The description \"Two\r\nlines\" may not hold a line break."},
        {{"clipart", "cr\ronly"}, "The description \"cr\ronly\" may not hold a line break."},
        {{"clip]art", "d"}, "The category \"clip]art\" may not hold \"]\"."},
        {{"clip{art", "d"}, "The category \"clip{art\" may not hold \"{\"."},
        {{"clip\nart", "d"}, "The category \"clip\nart\" may not hold a line break."},
    };
    for (const auto& c : cases) {
        test::expectRefused(writeImportInfo(c.info), c.message);
    }
}

} // namespace
} // namespace glw::formats
