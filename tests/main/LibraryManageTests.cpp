// Library management headless: saving a clip into a category under a checked name, new categories,
// deleting clips, and the name rules behind them.
#include "LibraryTestSupport.h"
#include "main/LibraryNames.h"

#include <filesystem>

namespace glw::main::test {
namespace {

using Verdict = SaveName::Verdict;

struct SaveCase {
    const char* typed;
    const char* name; // what the text box shows afterwards
    Verdict verdict;
};

// One table for the rules and for the panel that applies them.
const SaveCase kSaveCases[] = {
    {"My Clip", "my_clip.swf", Verdict::Ok},
    {"Tom's & Jerry's.swf", "tom_s___jerry_s.swf", Verdict::TooLong},
    {"CLIP.SWF", "clip.swf", Verdict::Ok},
    {"Intro.Swf", "intro.swf", Verdict::Ok},
    {"abcdefgh", "abcdefgh.swf", Verdict::Ok},
    {"abcdefghi", "abcdefghi.swf", Verdict::TooLong},
    {"\"q\"", "_q_.swf", Verdict::Ok},
    // Refused: names that would become paths or cannot be file names.
    {"..\\up", "..\\up.swf", Verdict::Refused},
    {"../up", "../up.swf", Verdict::Refused},
    {"a\\b", "a\\b.swf", Verdict::Refused},
    {"a/b", "a/b.swf", Verdict::Refused},
    {"c:x", "c:x.swf", Verdict::Refused},
    {"a*b", "a*b.swf", Verdict::Refused},
    {"a?b", "a?b.swf", Verdict::Refused},
    {"a<b>", "a<b>.swf", Verdict::Refused},
    {"a|b", "a|b.swf", Verdict::Refused},
    {"tab\there", "tab\there.swf", Verdict::Refused},
    // Refused: names that would make hidden files, which the listing never shows.
    {"", ".swf", Verdict::Refused},
    {".swf", ".swf", Verdict::Refused},
    {"..", "...swf", Verdict::Refused},
    {"...", "....swf", Verdict::Refused},
    {".hidden", ".hidden.swf", Verdict::Refused},
    {". .SWF", "._.swf", Verdict::Refused},
    // Kept: names that stay inside the category folder, blanks turned into "_".
    {"x..y", "x..y.swf", Verdict::Ok},
    {"  ", "__.swf", Verdict::Ok},
    {"a.", "a..swf", Verdict::Ok},
    // The limit counts characters, not the bytes of their UTF-8 form.
    {"\u00e7\u00e0\u00e9\u00fc\u00f6\u00e4", "\u00e7\u00e0\u00e9\u00fc\u00f6\u00e4.swf", Verdict::Ok},
    {"\u00e7\u00e0\u00e9\u00fc\u00f6\u00e4xy", "\u00e7\u00e0\u00e9\u00fc\u00f6\u00e4xy.swf", Verdict::Ok},
    {"\u00e7\u00e0\u00e9\u00fc\u00f6\u00e4xyz", "\u00e7\u00e0\u00e9\u00fc\u00f6\u00e4xyz.swf", Verdict::TooLong},
    {"\u65e5\u672c\u8a9e", "\u65e5\u672c\u8a9e.swf", Verdict::Ok},
};

TEST(SaveNameRules, CharactersAreCountedAndCutWhole) {
    struct Case {
        const char* text;
        std::size_t characters;
        const char* lastThree;
    };
    const Case cases[] = {
        {"", 0, ""},
        {"abcd", 4, "bcd"},
        {"\u00e7\u00e0\u00e9\u00fc", 4, "\u00e0\u00e9\u00fc"},
        {"a\u65e5\u672c", 3, "a\u65e5\u672c"},
        {"\U0001F600xy", 3, "\U0001F600xy"},
        {"\U0001F600\U0001F600\U0001F600\U0001F600", 4, "\U0001F600\U0001F600\U0001F600"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(characterCount(c.text), c.characters);
        EXPECT_EQ(lastCharacters(c.text, 3), c.lastThree);
    }
}

TEST(SaveNameRules, Table) {
    for (const auto& c : kSaveCases) {
        SCOPED_TRACE(c.typed);
        const SaveName result = applySaveNameRules(c.typed);
        EXPECT_EQ(result.name, c.name);
        EXPECT_EQ(result.verdict, c.verdict);
    }
}

class LibraryManage : public LibraryApp {};

TEST_F(LibraryManage, SavePanelAppliesTheRulesAndWritesOnlyIntoTheCategory) {
    category("Animals", 1, "bigclipname_long");
    app.folder("CLTemplates/Keep");
    auto& form = start();
    ASSERT_TRUE(form.cellHoldsClip(0));
    const std::string clip = app.read("CLTemplates/Animals/bigclipname_long01.swf");
    for (const auto& c : kSaveCases) {
        SCOPED_TRACE(c.typed);
        const auto before = files();
        boxes.clear();
        form.btFavourite.userClick();
        EXPECT_EQ(form.txtSaveAs.Text(), "e_long01.swf") << "a long name keeps its last 12 characters";
        ASSERT_TRUE(form.Picture3.Visible);
        form.CatsSave.userChoose(1);
        form.txtSaveAs.Text = c.typed;
        if (c.verdict != Verdict::Ok) {
            answerBox();
        }
        form.Command2.userClick();
        EXPECT_EQ(ui().pending(), 0u);
        EXPECT_EQ(form.txtSaveAs.Text(), c.name);
        auto after = files();
        if (c.verdict == Verdict::Ok) {
            EXPECT_FALSE(form.Picture3.Visible);
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(app.read("CLTemplates/Keep/" + std::string(c.name)), clip);
            std::filesystem::remove(app.host("CLTemplates/Keep/" + std::string(c.name)));
            after = files();
        } else {
            EXPECT_TRUE(form.Picture3.Visible) << "the panel stays open";
            ASSERT_EQ(boxes.size(), 1u);
            if (c.verdict == Verdict::TooLong) {
                EXPECT_EQ(boxes[0], "Glintwave SE|File name is to long.  Filenames should be kept to 8.3 format to "
                                    "ensure server compatibility.");
            } else {
                EXPECT_EQ(boxes[0], "Glintwave SE|" + badFileNameMessage());
            }
            form.Command4.userClick();
            EXPECT_FALSE(form.Picture3.Visible);
        }
        EXPECT_EQ(after, before) << "nothing else is written anywhere";
        EXPECT_TRUE(std::filesystem::is_empty(app.host("CLTemplates/Keep")));
    }
}

TEST_F(LibraryManage, SavingAClipOntoItselfKeepsIt) {
    app.file("CLTemplates/Animals/cat.swf", tinySwf(80, 60, "the cat"));
    const std::string before = app.read("CLTemplates/Animals/cat.swf");
    auto& form = start();
    form.btFavourite.userClick();
    EXPECT_EQ(form.txtSaveAs.Text(), "cat.swf");
    form.Command2.userClick();
    EXPECT_FALSE(form.Picture3.Visible);
    EXPECT_EQ(app.read("CLTemplates/Animals/cat.swf"), before);
}

TEST_F(LibraryManage, SavingOverAnotherClipReplacesItWithoutAQuestion) {
    app.file("CLTemplates/Animals/cat.swf", tinySwf(80, 60, "the cat"));
    app.file("CLTemplates/Birds/cat.swf", tinySwf(10, 10, "another cat"));
    auto& form = start();
    form.btFavourite.userClick();
    form.CatsSave.userChoose(1);
    form.Command2.userClick();
    EXPECT_EQ(app.read("CLTemplates/Birds/cat.swf"), app.read("CLTemplates/Animals/cat.swf"));
}

TEST_F(LibraryManage, AFailedCopyIsReportedAndThePanelStaysOpen) {
    category("Animals", 1);
    app.folder("CLTemplates/Vanishing");
    auto& form = start();
    form.btFavourite.userClick();
    form.CatsSave.userChoose(1);
    std::filesystem::remove_all(app.host("CLTemplates/Vanishing"));
    answerBox();
    form.Command2.userClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Glintwave SE|An error occured copying the file " +
                                 platform::toDisplayPath(sys("CLTemplates\\Animals\\clip01.swf")) + ".  ",
                             0),
              0u)
        << boxes[0];
    EXPECT_TRUE(form.Picture3.Visible);
}

struct CategoryCase {
    const char* typed;
    bool created;
    const char* message; // "" for none; the unsafe-name message when "unsafe"
};

TEST_F(LibraryManage, NewCategoriesAreCheckedAndCreatedInsideTheLibraryOnly) {
    category("Animals", 1);
    auto& form = start();
    const CategoryCase cases[] = {
        {"Birds", true, ""},
        {"Animals", false, "An error occured creating the folder. Category not created."},
        {"..", false, "unsafe"},
        {"../Escaped", false, "unsafe"},
        {"..\\Escaped", false, "unsafe"},
        {"Sub/Folder", false, "unsafe"},
        {"C:Escaped", false, "unsafe"},
        {"   ", false, "unsafe"},
        {"What?", false, "unsafe"},
        {".hidden", false, "unsafe"},
        {". Dots", false, "unsafe"},
        {"Caf\u00e9s.", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        boxes.clear();
        const auto catsBefore = form.Cats.items();
        ASSERT_TRUE(ui().queueScript("type InputForm.Text1 \"" + std::string(c.typed) + "\"\nanswer OK").ok());
        if (*c.message) {
            answerBox();
        }
        form.Command5.userClick();
        EXPECT_EQ(ui().pending(), 0u);
        if (c.created) {
            EXPECT_TRUE(std::filesystem::is_directory(app.host("CLTemplates/" + std::string(c.typed))));
            EXPECT_EQ(form.Cats.List(form.Cats.ListCount() - 1), c.typed);
            EXPECT_EQ(form.CatsSave.List(form.CatsSave.ListIndex), c.typed) << "the new category is the save target";
            EXPECT_EQ(form.Cats.ListIndex, 0) << "the category on view stays";
            EXPECT_TRUE(boxes.empty());
        } else {
            EXPECT_EQ(form.Cats.items(), catsBefore);
            ASSERT_EQ(boxes.size(), 1u);
            const std::string expected =
                std::string(c.message) == "unsafe" ? unsafeNameMessage("category name") : std::string(c.message);
            EXPECT_EQ(boxes[0], "Glintwave SE|" + expected);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(app.host("Escaped")));
    EXPECT_FALSE(std::filesystem::exists(app.host("CLTemplates/Sub")));

    // Cancel and an empty answer do nothing.
    ASSERT_TRUE(ui().queueScript("answer Cancel").ok());
    form.Command5.userClick();
    ASSERT_TRUE(ui().queueScript("answer OK").ok());
    form.Command5.userClick();
    EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals", "Birds", "Caf\u00e9s."}));
    EXPECT_FALSE(std::filesystem::exists(app.host("CLTemplates/.hidden")));
}

TEST_F(LibraryManage, DeletingAsksAndRemovesOnlyTheSelectedClip) {
    app.file("CLTemplates/Animals/a*.swf", tinySwf(10, 10));
    app.file("CLTemplates/Animals/ab.swf", tinySwf(20, 10));
    app.file("CLTemplates/Animals/ac.swf", tinySwf(30, 10));
    auto& form = start();
    ASSERT_EQ(form.CurrentClip, sys("CLTemplates\\Animals\\a*.swf"));
    for (const char* answer : {"No", "Cancel"}) {
        answerBox(answer);
        form.Command7.userClick();
    }
    EXPECT_EQ(form.lstFlashFiles.ListCount(), 3);
    boxes.clear();
    answerBox("Yes");
    form.Command7.userClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Glintwave SE|Are you sure you wish to delete the selected clipart?");
    EXPECT_FALSE(app.exists("CLTemplates/Animals/a*.swf"));
    EXPECT_TRUE(app.exists("CLTemplates/Animals/ab.swf")) << "the name is no pattern";
    EXPECT_TRUE(app.exists("CLTemplates/Animals/ac.swf"));
    EXPECT_EQ(form.lstFlashFiles.ListCount(), 2) << "the category is listed again";
    EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Animals\\ab.swf"));

    // Outside the library source nothing is deleted, and nothing is asked.
    app.file("elsewhere/x.swf", tinySwf(10, 10));
    form.chkBrowseWhat[1].userClick();
    form.Dir1.Path = sys("elsewhere");
    form.Command7.userClick();
    EXPECT_EQ(ui().pending(), 0u);
    EXPECT_TRUE(app.exists("elsewhere/x.swf"));
}

} // namespace
} // namespace glw::main::test
