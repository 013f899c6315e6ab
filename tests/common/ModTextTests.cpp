// Text, file and font helpers.
#include "common/ModText.h"
#include "platform/ServicesMemory.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace glw;
using glw::platform::test::TempDir;

namespace {

struct BetweenCase {
    const char* text;
    const char* start;
    const char* end;
    const char* expected;
};

TEST(ModText, GetBetween) {
    const BetweenCase cases[] = {
        {"x[a]y[b]", "[", "]", "a"},    {"x]y[a", "[", "]", ""},  {"ABC", "a", "c", "B"},
        {"]x[", "[", "]", ""},          {"abc]", "", "]", "abc"}, {"a[b]", "[", "", ""},
        {"(@a|b@)", "(@", "@)", "a|b"}, {"", "[", "]", ""},       {"[]", "[", "]", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(common::GetBetween(c.text, c.start, c.end), c.expected) << c.text << " " << c.start << c.end;
    }
}

struct ReplaceCase {
    const char* source;
    const char* find;
    const char* with;
    const char* expected;
};

TEST(ModText, ReplaceText) {
    const ReplaceCase cases[] = {
        {"Hello hello", "HELLO", "x", "x x"},
        {"abc", "z", "q", "abc"},
        {"a-b-c", "-", "", "abc"},
        {"aa", "a", "aa", "aaaa"},
        {"AbAb", "b", "B", "ABAB"},
        {"abc", "", "x", "abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(common::ReplaceText(c.source, c.find, c.with), c.expected) << c.source;
    }
}

TEST(ModText, IsAlphaNumeric) {
    EXPECT_FALSE(common::IsAlphaNumeric(""));
    EXPECT_TRUE(common::IsAlphaNumeric("A1b2"));
    EXPECT_FALSE(common::IsAlphaNumeric("a b"));
    EXPECT_FALSE(common::IsAlphaNumeric("caf\xC3\xA9"));
    EXPECT_FALSE(common::IsAlphaNumeric("a{"));
}

TEST(ModText, FileTestsAndReading) {
    TempDir dir;
    dir.file("empty.txt", "");
    dir.file("text.txt", "line1\r\nline2");
    dir.folder("folder");
    EXPECT_TRUE(common::FileExists(dir.system("empty.txt")));
    EXPECT_TRUE(common::FileExists(dir.system("TEXT.TXT"))) << "names are found without regard to case";
    EXPECT_FALSE(common::FileExists(dir.system("folder")));
    EXPECT_FALSE(common::FileExists(dir.system("missing.txt")));
    EXPECT_FALSE(common::FileExists(""));
    EXPECT_EQ(common::ReadFileText(dir.system("empty.txt")), "");
    EXPECT_EQ(common::ReadFileText(dir.system("missing.txt")), "");
    EXPECT_EQ(common::ReadFileText(dir.system("text.txt")), "line1\r\nline2");
    EXPECT_FALSE(common::FileExistsStrict(dir.system("missing.txt")));
    EXPECT_TRUE(common::FileExistsStrict(dir.system("text.txt")));
    EXPECT_THROW(common::FileExistsStrict(dir.system("folder")), vb::RuntimeError)
        << "the strict test passes failures other than a missing file on";
}

class BadFonts : public ::testing::Test {
protected:
    TempDir app;
    forms::Services services;
    std::unique_ptr<forms::Runtime> rt;
    void SetUp() override {
        services.fonts = std::make_shared<platform::FixedFontList>(
            std::vector<std::string>{"Arial", "Wingdings 2", "MT Symbol", "symbol", "Tahoma"});
        rt = std::make_unique<forms::Runtime>(services);
        rt->App.Path = app.system();
    }
    std::vector<std::string> fill(const char* list) {
        if (list) {
            app.file("Resource/badfont.txt", list);
        }
        common::ModText modText(*rt);
        modText.LoadScreenFonts();
        forms::Form form(*rt, "F");
        forms::ListBox target(form, "target");
        modText.FillFontList(target);
        return target.items();
    }
};

TEST_F(BadFonts, FragmentsHideMatchingFontsCaseInsensitively) {
    EXPECT_EQ(fill("Wingdings,Symbol"), (std::vector<std::string>{"Arial", "Tahoma"}));
}

TEST_F(BadFonts, AnEmptyFragmentHidesEveryFont) {
    EXPECT_TRUE(fill("Wingdings,Symbol,").empty());
}

TEST_F(BadFonts, FragmentsAreNotTrimmed) {
    EXPECT_EQ(fill("Wingdings, Symbol"), (std::vector<std::string>{"Arial", "symbol", "Tahoma"}))
        << "' Symbol' with its blank matches 'MT Symbol' but not 'symbol'";
}

TEST_F(BadFonts, MissingListExcludesNothing) {
    EXPECT_EQ(fill(nullptr).size(), 5u);
}

TEST(ModText, CenterFormAllowsNegativePositions) {
    forms::Runtime rt{forms::Services{}};
    forms::Form form(rt, "F");
    form.Width = rt.Screen.Width + 1001;
    form.Height = 3001;
    common::CenterForm(form);
    EXPECT_EQ(form.Left, -500);
    EXPECT_EQ(form.Top, (rt.Screen.Height - 3001) / 2);
}

} // namespace
