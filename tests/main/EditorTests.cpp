// The clip editor headless: the view switch, the passes, the element rows and their write-back, the
// panels, the shortcuts, and the faults the editor guards against.
#include "EditorTestSupport.h"
#include "swfmaker/Clips.h"

#include <filesystem>

namespace glw::main::test {
namespace {

class Editor : public EditorApp {
protected:
    // A file where the Working folder belongs: no working copy can be saved.
    void blockWorkingFolder() {
        std::filesystem::remove_all(app.host("Working"));
        app.file("Working", "a file where the folder belongs");
    }
    // One message says why, and the preview plays the plain clip.
    void expectThePlainClipAndWhy(Form1& form) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find("the preview shows the clip as it is"), std::string::npos) << boxes[0];
        EXPECT_EQ(form.FlashDemo.Movie(), sys("CLTemplates\\Cards\\a-card.swf"));
    }
};

TEST_F(Editor, EnteringTheEditViewListsEveryElementInEventOrderAndPreviewsTheClip) {
    Form1& form = startOn(0);
    const std::string clipPath = sys("CLTemplates\\Cards\\a-card.swf");
    ASSERT_EQ(form.CurrentClip, clipPath);
    form.Command1_Click();

    EXPECT_TRUE(form.FlashDemo.Visible);
    EXPECT_TRUE(form.PixProps.Visible);
    EXPECT_EQ(form.Label8.Caption(), "Preview/Edit");
    EXPECT_EQ(form.FlashDemo.Movie(), clipPath + "?");
    EXPECT_EQ(form.FlashDemo.BGColor(), "#FFFFFF");
    EXPECT_TRUE(form.ElementsScanned);
    EXPECT_EQ(form.ScannedClip, clipPath);

    const auto elements = elementsOf(app.host("CLTemplates/Cards/a-card.swf"));
    ASSERT_EQ(form.ListView1.Count(), int(elements.size()));
    const std::map<std::string, std::string> kinds = {
        {"text", "Text"}, {"edittext", "Text"}, {"link", "Link"}, {"image", "Image"}, {"sound", "Sound"}};
    for (int i = 0; i < int(elements.size()); ++i) {
        const auto& item = *form.ListView1.items()[std::size_t(i)];
        const auto& e = elements[std::size_t(i)];
        SCOPED_TRACE(item.Key());
        EXPECT_EQ(item.Key(), "ITEM" + std::to_string(i));
        EXPECT_EQ(item.Text(), kinds.at(e.kind));
        if (e.kind == "text" || e.kind == "edittext") {
            EXPECT_EQ(item.SubItems(1), e.value);
            EXPECT_EQ(item.SubItems(2), e.value);
            EXPECT_EQ(item.SubItems(3), e.font);
            EXPECT_EQ(item.SubItems(4), std::to_string((e.number + 10) / 20));
        } else if (e.kind == "link") {
            EXPECT_EQ(item.SubItems(1), e.value);
            EXPECT_EQ(item.SubItems(3), "");
        } else if (e.kind == "image") {
            EXPECT_EQ(item.SubItems(1), "Image " + e.value);
            EXPECT_EQ(item.SubItems(3), e.value);
            EXPECT_EQ(item.SubItems(4), std::to_string(e.number));
        } else {
            EXPECT_EQ(item.SubItems(1), "Sound " + std::to_string(e.number));
            EXPECT_EQ(item.SubItems(4), "ding");
        }
    }
    // The Text filter is applied: its rows are listed and the first one's panel shows.
    EXPECT_TRUE(form.Option1[0].Value);
    EXPECT_EQ(form.ListView2.Count(), 4);
    EXPECT_TRUE(form.PropsText.Visible);
    EXPECT_EQ(form.Text2.Text(), "Hello");

    // Back to the browse view: the rows and the scan stay.
    form.Command1_Click();
    EXPECT_FALSE(form.FlashDemo.Visible);
    EXPECT_FALSE(form.PixProps.Visible);
    EXPECT_EQ(form.Label8.Caption(), "Available Files");
    EXPECT_EQ(form.FlashDemo.Movie(), sys("blank.swf"));
    EXPECT_EQ(form.ListView1.Count(), int(elements.size()));
    EXPECT_TRUE(form.ElementsScanned);
}

TEST_F(Editor, EmptyCellAndJpegClipartDoNotEnterTheEditView) {
    Form1& form = startOn(0);
    form.FSel_GotFocus(5); // empty: the selection stays on cell 0 ...
    form.SelectedCell = 5; // ... but a page without clips leaves an empty current thumbnail
    form.Command1_Click();
    EXPECT_FALSE(form.FlashDemo.Visible);
    EXPECT_EQ(form.ListView1.Count(), 0);

    form.SelectedCell = 0;
    form.BrowseSource = 3;
    answerBox();
    form.Command1_Click();
    EXPECT_FALSE(form.FlashDemo.Visible);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Glintwave SE|Zoom view only available for SWF files.");
}

TEST_F(Editor, EditsOfEveryKindAndTheSizeReachTheWorkingCopy) {
    const auto jpeg = tools::makePictureJpeg(tools::PictureSpec{}, 60);
    const auto mp3 = tools::makeSilentMp3(22050, 1, 300);
    ASSERT_TRUE(jpeg.ok() && mp3.ok());
    app.file("new.jpg", asText(*jpeg));
    app.file("new.mp3", asText(*mp3));
    Form1& form = startOn(0);
    form.Command1_Click();

    row(form, "text").setSubItems(2, "Grüße 2027");
    row(form, "edittext").setSubItems(2, "Ada");
    row(form, "link").setSubItems(2, "http://www.example.com/new");
    row(form, "image").setSubItems(2, sys("new.jpg"));
    row(form, "image").setSubItems(4, "55");
    row(form, "sound").setSubItems(2, sys("new.mp3"));
    form.EWidth.Text = "300";
    form.EHeight.Text = "150";
    form.Command12_Click();

    EXPECT_EQ(form.chkDoChange.Value(), 1);
    EXPECT_EQ(form.FlashDemo.Movie(), sys("Working\\newclip.swf") + "?");
    const auto after = elementsOf(working());
    const auto before = elementsOf(app.host("CLTemplates/Cards/a-card.swf"));
    EXPECT_EQ(find(after, "text").value, "Grüße 2027");
    EXPECT_EQ(find(after, "text", 1), find(before, "text", 1));
    EXPECT_EQ(find(after, "edittext").value, "Ada");
    EXPECT_EQ(find(after, "link").value, "http://www.example.com/new");
    EXPECT_NEAR(find(after, "image").number, 55, 2);
    const auto header = swf::readSwfHeader(working());
    ASSERT_TRUE(header.ok());
    EXPECT_EQ(header->widthPixels, 300);
    EXPECT_EQ(header->heightPixels, 150);
    // The sound's data is the new MP3's: restoring the sound alone changes the saved movie.
    const std::string withNewSound = app.read("Working/newclip.swf");
    row(form, "sound").setSubItems(2, row(form, "sound").SubItems(1));
    form.Command12_Click();
    EXPECT_NE(app.read("Working/newclip.swf"), withNewSound);
}

TEST_F(Editor, RefusedEditsAreToldOnceAndTheirRowsShowWhatTheClipHolds) {
    // A PNG named .jpg, a WAV named .mp3 and a text no installed font draws are refused; the edit text
    // beside them is built.
    app.file("photo.jpg", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    app.file("tune.mp3", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
    Form1& form = startOn(0);
    form.Command1_Click();
    const std::string image = row(form, "image").SubItems(1);
    const std::string sound = row(form, "sound").SubItems(1);
    const std::string text = row(form, "text").SubItems(2);
    row(form, "image").setSubItems(2, sys("photo.jpg"));
    row(form, "sound").setSubItems(2, sys("tune.mp3"));
    row(form, "text").setSubItems(2, "\xEE\x80\x80"); // U+E000, a private-use character no font has
    row(form, "edittext").setSubItems(2, "Ada");
    answerBox();
    form.Command12_Click();

    ASSERT_EQ(boxes.size(), 1u);
    const std::string& box = boxes[0];
    EXPECT_EQ(box.rfind("Glintwave SE|These changes could not be built into the clip", 0), 0u) << box;
    for (const std::string& part : {"Image \"" + sys("photo.jpg") + "\"", "Sound \"" + sys("tune.mp3") + "\"",
                                    std::string("no installed font can draw")}) {
        EXPECT_NE(box.find(part), std::string::npos) << part << "\n" << box;
    }
    // Each refused row shows the clip's own value again, in both lists; the built edit stays.
    EXPECT_EQ(row(form, "image").SubItems(2), image);
    EXPECT_EQ(row(form, "sound").SubItems(2), sound);
    EXPECT_EQ(row(form, "text").SubItems(2), text);
    EXPECT_EQ(row(form, "edittext").SubItems(2), "Ada");
    EXPECT_EQ(find(elementsOf(working()), "edittext").value, "Ada");
    // The next pass has nothing left to refuse: the user is told once.
    form.Command12_Click();
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Editor, TheExportTellsOfARefusedEditBeforeItGoesOn) {
    // Edits made with "Apply" off are first built by the export: it says what it refused, too.
    app.file("photo.jpg", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    Form1& form = startOn(0);
    form.Command1_Click();
    const std::string image = row(form, "image").SubItems(1);
    row(form, "image").setSubItems(2, sys("photo.jpg"));
    row(form, "edittext").setSubItems(2, "Ada");
    form.Command1_Click(); // back to the library, rows kept
    form.chkDoChange.Value = 1;
    answerBox();
    ASSERT_TRUE(form.DoMainExport("glwmovie.swf", "").ok());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Image \"" + sys("photo.jpg") + "\""), std::string::npos) << boxes[0];
    EXPECT_EQ(row(form, "image").SubItems(2), image);
    EXPECT_EQ(find(elementsOf(app.host("Working/glwmovie.swf")), "edittext").value, "Ada");
}

TEST_F(Editor, UntouchedRowsKeepTheClipsBytesAndLeavingAndReenteringKeepsTheEdits) {
    Form1& form = startOn(0);
    form.chkDoChange.Value = 1; // in the browse view: no pass, the plain clip
    EXPECT_FALSE(std::filesystem::exists(working()));
    EXPECT_EQ(form.FlashDemo.Movie(), sys("CLTemplates\\Cards\\a-card.swf"));
    form.Command1_Click();
    EXPECT_TRUE(app.read("Working/newclip.swf") == app.read("CLTemplates/Cards/a-card.swf"));

    row(form, "text").setSubItems(2, "Kept");
    form.Command1_Click();
    form.Command1_Click(); // no second scan: the edit survives and is built at the clip's own size
    EXPECT_EQ(row(form, "text").SubItems(2), "Kept");
    EXPECT_EQ(find(elementsOf(working()), "text").value, "Kept");
}

// Text rows: what the apply writes for a change of text, font and shown size.
struct TextCase {
    const char* name;
    const char* text;   // null: unchanged
    const char* size;   // null: unchanged
    int expectedHeight; // 0: the detected height
    bool changed;       // whether the element's bytes change
};

const TextCase kTextCases[] = {
    {"size alone", nullptr, "20", 400, true},
    {"size and text", "Hi", "30", 600, true},
    {"size 0 keeps the height", nullptr, "0", 0, false},
    {"negative size keeps the height", nullptr, "-3", 0, false},
    {"size that is no number", nullptr, "abc", 0, false},
    {"text alone keeps the height", "Hi", nullptr, 0, true},
};

TEST_F(Editor, StaticAndEditTextsAreWrittenOnlyWhenTheirTextFontOrSizeChanged) {
    Form1& form = startOn(0);
    form.Command1_Click();
    form.chkDoChange.Value = 1;
    const auto before = elementsOf(app.host("CLTemplates/Cards/a-card.swf"));
    for (const char* tag : {"text", "edittext"}) {
        for (const auto& c : kTextCases) {
            SCOPED_TRACE(std::string(tag) + ": " + c.name);
            auto& item = row(form, tag);
            const std::string detectedText = item.SubItems(1);
            const std::string detectedSize = item.SubItems(4);
            item.setSubItems(2, c.text ? c.text : detectedText);
            item.setSubItems(4, c.size ? c.size : detectedSize);
            form.RebuildWorkingClip();
            const Element old = find(before, tag);
            const Element now = find(elementsOf(working()), tag);
            EXPECT_EQ(now.value, c.text ? c.text : old.value);
            EXPECT_EQ(now.number, c.expectedHeight ? c.expectedHeight : old.number);
            if (!c.changed) {
                EXPECT_TRUE(app.read("Working/newclip.swf") == app.read("CLTemplates/Cards/a-card.swf"));
            }
            item.setSubItems(2, detectedText);
            item.setSubItems(4, detectedSize);
        }
    }
}

// Size boxes: anything but a size from 1 to 8192 pixels keeps the clip's own side.
struct SizeCase {
    const char* box;
    int expected; // pixels; 0: the clip's own
};

const SizeCase kSizeCases[] = {
    {"", 0},    {"abc", 0},   {"0", 0},    {"-5", 0},    {"0.025", 0},  {"0.5", 0},
    {"1e9", 0}, {"99999", 0}, {"8193", 0}, {"300", 300}, {" 250", 250}, {"8192", 8192},
};

TEST_F(Editor, SizeBoxesOutsideTheRangeKeepTheClipsOwnSize) {
    Form1& form = startOn(0);
    form.Command1_Click();
    for (const auto& c : kSizeCases) {
        SCOPED_TRACE(std::string("box '") + c.box + "'");
        form.EWidth.Text = c.box;
        form.EHeight.Text = c.box;
        form.Command12_Click();
        const auto header = swf::readSwfHeader(working());
        ASSERT_TRUE(header.ok());
        EXPECT_EQ(header->widthPixels, c.expected ? c.expected : 320);
        EXPECT_EQ(header->heightPixels, c.expected ? c.expected : 200);
    }
}

TEST_F(Editor, AClipThatCannotBeReadIsNotTakenAsScannedAndTheUserIsTold) {
    app.file("CLTemplates/Cards/c-broken.swf", "FWS\x06garbage");
    Form1& form = startOn(2);
    ASSERT_EQ(form.CurrentClip, sys("CLTemplates\\Cards\\c-broken.swf"));
    answerBox();
    form.Command1_Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Glintwave SE|This clip could not be read"), std::string::npos) << boxes[0];
    EXPECT_FALSE(form.ElementsScanned);
    EXPECT_EQ(form.ListView1.Count(), 0);
    EXPECT_TRUE(form.FlashDemo.Visible);
    // Entering again tries again, and says so again.
    form.Command1_Click();
    answerBox();
    form.Command1_Click();
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(Editor, AWorkingCopyThatCannotBeSavedShowsThePlainClipAndSaysWhy) {
    Form1& form = startOn(0);
    form.Command1_Click();
    form.Command1_Click();
    form.chkDoChange.Value = 1;
    blockWorkingFolder();
    answerBox();
    form.Command1_Click();
    expectThePlainClipAndWhy(form);
    EXPECT_TRUE(form.FlashDemo.Visible);
}

TEST_F(Editor, AResizeThatCannotBeSavedNeverPlaysTheOldWorkingCopy) {
    Form1& form = startOn(0);
    form.chkDoChange.Value = 1;
    form.Command1_Click(); // the edit view, built into the working copy
    ASSERT_EQ(form.FlashDemo.Movie().rfind(sys("Working\\newclip.swf"), 0), 0u) << form.FlashDemo.Movie();
    blockWorkingFolder();
    answerBox();
    form.Command12_Click();
    expectThePlainClipAndWhy(form);
}

TEST_F(Editor, RowsAreNeverAppliedToAnotherClipNorToAnElementOfAnotherKind) {
    Form1& form = startOn(0);
    form.Command1_Click();
    row(form, "text").setSubItems(2, "From A");
    form.Command1_Click();

    // Another clip selected: the rows of the first are not written into it, whatever the pass.
    form.FSel_GotFocus(1);
    form.Command12_Click();
    EXPECT_EQ(find(elementsOf(working()), "text").value, "Other");

    // The same clip changed on disk so that its first element is now a link: the text row stays out of it.
    form.FSel_GotFocus(0);
    form.Command1_Click();
    row(form, "text").setSubItems(2, "Not a link");
    app.file("CLTemplates/Cards/a-card.swf", clip(linkOnlySpec()));
    form.Command12_Click();
    EXPECT_EQ(find(elementsOf(working()), "link").value, "http://www.example.com/only");
}

TEST_F(Editor, ATintedCellsQueryNeverBecomesPartOfTheClipPath) {
    Form1& form = startOn(0);
    form.FSel[1].Movie = sys("CLTemplates\\Cards\\b-other.swf") + "?CWR=10&CWG=0&CWB=0";
    form.FSel_GotFocus(1);
    EXPECT_EQ(form.CurrentClip, sys("CLTemplates\\Cards\\b-other.swf"));
    program->aModule.ClipFlashVars = "CWR=10&CWG=0&CWB=0";
    form.Command1_Click();
    EXPECT_EQ(form.ScannedClip, sys("CLTemplates\\Cards\\b-other.swf"));
    EXPECT_EQ(form.FlashDemo.Movie(), sys("CLTemplates\\Cards\\b-other.swf") + "?CWR=10&CWG=0&CWB=0");
    EXPECT_GT(form.ListView1.Count(), 0);
    // Ticking "Apply" previews the working copy with the variables; unticking it, the plain clip without them.
    form.chkDoChange.Value = 1;
    EXPECT_EQ(form.FlashDemo.Movie(), sys("Working\\newclip.swf") + "?CWR=10&CWG=0&CWB=0");
    form.chkDoChange.Value = 0;
    EXPECT_EQ(form.FlashDemo.Movie(), sys("CLTemplates\\Cards\\b-other.swf"));
}

TEST_F(Editor, ElementNumbersPastSixteenBitsAndImageIdsShowUnsigned) {
    Form1& form = startOn(0);
    form.ScanMode = true;
    form.ElementIndex = 40000;
    swf::ImageElement image;
    image.ImageId = 65535;
    image.ImageQuality = 250;
    form.swfButton_OnSubImage(image);
    form.ScanMode = false;
    auto& item = form.ListView1.Item("ITEM40000");
    EXPECT_EQ(item.SubItems(1), "Image 65535");
    EXPECT_EQ(item.SubItems(3), "65535");
    EXPECT_EQ(item.SubItems(4), "100");
    EXPECT_EQ(form.ElementIndex, 40001);
}

struct FontCase {
    const char* kind;
    const char* font;
    const char* after;
};

TEST_F(Editor, MissingFontsCompareWholeNamesWithoutCaseAndTouchOnlyTextRows) {
    const FontCase rows[] = {
        {"Text", "Gothic X Bold", "Arial"}, // missing
        {"Text", "Gothic X", "Gothic X"},   // listed: a name that is part of a handled one stays
        {"Text", "verdana", "verdana"},     // listed, in other case
        {"Text", "GOTHIC X BOLD", "Arial"}, // handled already, in other case
        {"Text", "", "Arial"},              // no font at all
        {"Link", "", ""},                   // not a text row
        {"Image", "Gothic X Bold", "Gothic X Bold"},
    };
    Form1& form = startOn(0);
    form.lstFonts.Clear();
    for (const char* f : {"Arial", "Verdana", "Gothic X"}) {
        form.lstFonts.AddItem(f);
    }
    int n = 0;
    for (const auto& r : rows) {
        form.ListView1.Add("ITEM" + std::to_string(n++), r.kind).setSubItems(3, r.font);
    }
    form.Command9_Click();
    n = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.kind) + " '" + r.font + "'");
        EXPECT_EQ(form.ListView1.Item("ITEM" + std::to_string(n++)).SubItems(3), r.after);
    }
    EXPECT_EQ(form.chkDoChange.Value(), 1);
    EXPECT_EQ(form.ListView2.Count(), 5); // the text rows, refiltered
}

struct QualityCase {
    const char* box;
    int slider;
    const char* row;
};

const QualityCase kQualityCases[] = {
    {"80", 80, "80"}, {"12.5", 12, "12.5"}, {"abc", 0, "0"}, {"", 0, "0"}, {"150", 100, "100"}, {"-3", 0, "0"},
};

TEST_F(Editor, ImageQualityIsClampedForTheSliderAndTheRow) {
    Form1& form = startOn(0);
    form.Command1_Click();
    form.Option1[1].Value = true;
    ASSERT_TRUE(form.PropsImage.Visible);
    for (const auto& c : kQualityCases) {
        SCOPED_TRACE(c.box);
        form.Text6.Text = c.box;
        EXPECT_EQ(form.Slider1.Value(), c.slider);
        EXPECT_EQ(form.Text6.Text(), c.box); // the box is not rewritten under the user's typing
        form.Command19_Click();
        EXPECT_EQ(form.ListView1.Item(form.CurrentRowKey).SubItems(4), c.row);
        EXPECT_EQ(form.ListView2.Item(form.CurrentRowKey).SubItems(4), c.row);
    }
    form.Slider1.userScroll(37);
    EXPECT_EQ(form.Text6.Text(), "37");
}

TEST_F(Editor, ThePickersRememberTheFolderOfTheChosenFile) {
    Form1& form = startOn(0);
    form.Command1_Click();
    form.Option1[1].Value = true;
    ui().chooseFile("C:\\Clips\\a.jpg\\a.jpg");
    form.Command22_Click();
    EXPECT_EQ(form.Text4.Text(), "/Clips/a.jpg/a.jpg"); // shown in the host form
    EXPECT_EQ(form.LastImportFolder, "C:\\Clips\\a.jpg\\");
    EXPECT_EQ(form.CommonDialog1.InitDir(), app.system() + "\\");
    form.Option1[2].Value = true;
    ui().cancelDialog();
    form.Command25_Click();
    EXPECT_EQ(form.CommonDialog1.InitDir(), "C:\\Clips\\a.jpg\\");
    EXPECT_EQ(form.CommonDialog1.DialogTitle(), "Please select an MP3 file to import :");
    EXPECT_EQ(form.CommonDialog1.FileName(), "");                                      // not the JPEG's name
    EXPECT_EQ(form.Text5.Text(), form.ListView1.Item(form.CurrentRowKey).SubItems(2)); // cancelled: unchanged
}

TEST_F(Editor, PanelsApplyRestoreAndResetTheCurrentRowInBothLists) {
    Form1& form = startOn(0);
    form.Command1_Click();
    form.Option1[3].Value = true;
    ASSERT_TRUE(form.PropsLink.Visible);
    form.Text3.Text = "http://www.example.com/x";
    form.Command20_Click();
    EXPECT_EQ(form.ListView1.Item(form.CurrentRowKey).SubItems(2), "http://www.example.com/x");
    EXPECT_EQ(form.ListView2.Item(form.CurrentRowKey).SubItems(2), "http://www.example.com/x");
    form.Command18_Click();
    EXPECT_EQ(form.ListView1.Item(form.CurrentRowKey).SubItems(2), "http://www.example.com/card");
    EXPECT_EQ(form.Text3.Text(), "http://www.example.com/x");
    // The chooser gives nothing yet: the box keeps its text.
    form.Command16_Click();
    EXPECT_EQ(form.Text3.Text(), "http://www.example.com/x");

    form.Option1[0].Value = true;
    form.Text2.Text = "Typed";
    int enter = forms::vbKeyReturn;
    form.Text2_KeyPress(enter);
    EXPECT_EQ(form.ListView1.Item(form.CurrentRowKey).SubItems(2), "Typed");
    form.Command26_Click();
    EXPECT_EQ(form.Text2.Text(), "Hello");
    EXPECT_EQ(form.ListView2.Item(form.CurrentRowKey).SubItems(2), "Hello");

    form.Command14_Click();
    for (const auto& item : form.ListView1.items()) {
        EXPECT_EQ(item->SubItems(2).empty(), item->Text() == "Text") << item->Key();
    }
    EXPECT_EQ(form.chkDoChange.Value(), 1);
    form.lstFonts.Text = "Liberation Serif";
    form.Command13_Click();
    EXPECT_EQ(find(elementsOf(working()), "text", 1).font, "Liberation Serif");

    // A kind with no rows empties the list and hides every panel.
    form.ListView1.Clear();
    form.Option1_Click(2);
    EXPECT_EQ(form.ListView2.Count(), 0);
    EXPECT_FALSE(form.PropsText.Visible || form.PropsLink.Visible || form.PropsImage.Visible ||
                 form.PropsSound.Visible);
}

struct ShortcutCase {
    char key;
    int option;        // the Option1 element selected, -1 for none
    const char* panel; // the panel shown afterwards
};

TEST_F(Editor, TheEditorShortcutsActOnlyInTheEditView) {
    Form1& form = startOn(0);
    form.userKeyDown('L', forms::vbCtrlMask); // browse view: nothing
    EXPECT_FALSE(form.Option1[3].Value);
    form.userKeyDown('A', forms::vbCtrlMask);
    EXPECT_EQ(form.chkDoChange.Value(), 0);
    form.userKeyDown('P', forms::vbCtrlMask);
    ASSERT_TRUE(form.FlashDemo.Visible);

    const ShortcutCase cases[] = {{'I', 1, "Image"}, {'S', 2, "Sound"}, {'L', 3, "Link"}, {'T', 0, "Text"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.key));
        form.userKeyDown(c.key, forms::vbCtrlMask);
        EXPECT_TRUE(form.Option1[c.option].Value);
        const forms::Frame* shown = nullptr;
        for (const forms::Frame* p : {&form.PropsText, &form.PropsLink, &form.PropsImage, &form.PropsSound}) {
            if (p->Visible) {
                shown = p;
            }
        }
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->Caption(), c.panel);
    }
    // Ctrl+A applies the size; Ctrl+R detects again and drops the edits; Ctrl+Shift+A does nothing.
    row(form, "text").setSubItems(2, "Edited");
    form.EWidth.Text = "160";
    form.userKeyDown('A', forms::vbCtrlMask | forms::vbShiftMask);
    EXPECT_FALSE(std::filesystem::exists(working()));
    form.userKeyDown('A', forms::vbCtrlMask);
    EXPECT_EQ(form.chkDoChange.Value(), 1);
    EXPECT_EQ(swf::readSwfHeader(working())->widthPixels, 160);
    EXPECT_EQ(find(elementsOf(working()), "text").value, "Edited");
    form.userKeyDown('R', forms::vbCtrlMask);
    EXPECT_EQ(form.chkDoChange.Value(), 0);
    EXPECT_EQ(row(form, "text").SubItems(2), "Hello");
    EXPECT_EQ(form.FlashDemo.Movie(), sys("CLTemplates\\Cards\\a-card.swf"));
    form.userKeyDown('P', forms::vbCtrlMask);
    EXPECT_FALSE(form.FlashDemo.Visible);
}

} // namespace
} // namespace glw::main::test
