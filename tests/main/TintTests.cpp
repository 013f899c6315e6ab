// The editor's tint and background colour: the tint control rewrites the movie variables and reloads the
// preview (or the selected cell) with the clean clip path and the new query; the background label takes the
// colour dialog's answer; the Export button reads the tints from the tint control.
#include "EditorTestSupport.h"
#include "colour/ColorSel.h"

namespace glw::main::test {
namespace {

class Tint : public EditorApp {
protected:
    // Picks `html` in the tint control's dialog (Okay) or cancels it.
    void pickTint(Form1& form, const std::string& html, bool okay = true) {
        ASSERT_TRUE(ui().queueScript("type ColorSel.HTMLColor \"" + html + "\"\n" + "key ColorSel.HTMLColor Enter\n" +
                                     (okay ? "answer Okay" : "answer Cancel"))
                        .ok());
        form.ctlTinter1.Command4.userClick();
    }
    void setTint(Form1& form, std::int16_t r, std::int16_t g, std::int16_t b) {
        form.ctlTinter1.mRedTint = r;
        form.ctlTinter1.mGreenTint = g;
        form.ctlTinter1.mBlueTint = b;
        form.ctlTinter1.SetTint.raise(r, g, b);
    }
};

TEST_F(Tint, TheTintTextHoldsTheThreeValuesInOrder) {
    Form1& form = startOn(0);
    struct Case {
        std::int16_t r, g, b;
        const char* text;
    } cases[] = {
        {128, -64, 0, "CWR=128&CWG=-64&CWB=0"},
        {0, 0, 0, "CWR=0&CWG=0&CWB=0"},
        {-256, -256, -256, "CWR=-256&CWG=-256&CWB=-256"},
        {256, -12, 7, "CWR=256&CWG=-12&CWB=7"},
    };
    for (const auto& c : cases) {
        setTint(form, c.r, c.g, c.b);
        EXPECT_EQ(program->aModule.ClipFlashVars, c.text);
        EXPECT_EQ(form.FlashDemo.FlashVars(), c.text);
    }
}

TEST_F(Tint, InTheEditViewThePreviewPlaysTheCleanPathWithTheNewQueryNeverDoubled) {
    Form1& form = startOn(0);
    const std::string clip = sys("CLTemplates\\Cards\\a-card.swf");
    form.Command1_Click();
    ASSERT_EQ(form.FlashDemo.Movie(), clip + "?");
    pickTint(form, "FF0000");
    EXPECT_EQ(form.ctlTinter1.mRedTint, 256);
    EXPECT_EQ(form.ctlTinter1.mGreenTint, -256);
    EXPECT_EQ(program->aModule.ClipFlashVars, "CWR=256&CWG=-256&CWB=-256");
    EXPECT_EQ(form.FlashDemo.Movie(), clip + "?CWR=256&CWG=-256&CWB=-256");
    setTint(form, 128, -64, 0);
    EXPECT_EQ(form.FlashDemo.Movie(), clip + "?CWR=128&CWG=-64&CWB=0");
    // The working copy with "Apply", then a tint: the working copy's path with the new query.
    form.chkDoChange.Value = 1;
    ASSERT_EQ(form.FlashDemo.Movie(), sys("Working\\newclip.swf") + "?CWR=128&CWG=-64&CWB=0");
    setTint(form, 1, 2, 3);
    EXPECT_EQ(form.FlashDemo.Movie(), sys("Working\\newclip.swf") + "?CWR=1&CWG=2&CWB=3");
    // The cells are not touched in the edit view.
    EXPECT_EQ(form.FSel[0].Movie(), clip);
    // Reset: zeros, not an empty text.
    form.ctlTinter1.Command1.userClick();
    EXPECT_EQ(form.FlashDemo.Movie(), sys("Working\\newclip.swf") + "?CWR=0&CWG=0&CWB=0");
}

TEST_F(Tint, CancelKeepsTheTints) {
    Form1& form = startOn(0);
    pickTint(form, "00FF00");
    ASSERT_EQ(program->aModule.ClipFlashVars, "CWR=-256&CWG=256&CWB=-256");
    pickTint(form, "0000FF", false);
    EXPECT_EQ(form.ctlTinter1.mGreenTint, 256);
    EXPECT_EQ(program->aModule.ClipFlashVars, "CWR=-256&CWG=256&CWB=-256");
    EXPECT_EQ(form.ctlTinter1.Label40.ToolTipText(), "#00FF00");
}

TEST_F(Tint, InTheBrowseViewOnlyTheSelectedCellThatShowsAClipIsReloaded) {
    Form1& form = startOn(1);
    const std::string clip = sys("CLTemplates\\Cards\\b-other.swf");
    const std::string blank = sys("blank.swf");
    setTint(form, 10, 0, -5);
    EXPECT_EQ(form.FSel[1].Movie(), clip + "?CWR=10&CWG=0&CWB=-5");
    EXPECT_EQ(form.cellClips[1], clip);
    EXPECT_EQ(form.FSel[0].Movie(), sys("CLTemplates\\Cards\\a-card.swf"));
    EXPECT_EQ(form.FlashDemo.Movie(), blank + "?CWR=10&CWG=0&CWB=-5");
    setTint(form, 20, 0, 0);
    EXPECT_EQ(form.FSel[1].Movie(), clip + "?CWR=20&CWG=0&CWB=0");
    // An empty cell stays empty.
    form.FSel_GotFocus(5);
    const std::string empty = form.FSel[5].Movie();
    setTint(form, 30, 0, 0);
    EXPECT_EQ(form.FSel[5].Movie(), empty);
    // Entering the edit view previews the cell's clean path with the tint.
    form.FSel_GotFocus(1);
    form.Command1_Click();
    EXPECT_EQ(form.FlashDemo.Movie(), clip + "?CWR=30&CWG=0&CWB=0");
}

TEST_F(Tint, TheBackgroundLabelTakesTheDialogsColourAndThePreviewFollows) {
    Form1& form = startOn(0);
    form.Command1_Click();
    ASSERT_TRUE(ui().queueScript("answer Cancel").ok());
    form.Command17.userClick();
    EXPECT_EQ(form.colBack.ToolTipText(), "#FFFFFF");
    EXPECT_EQ(form.FlashDemo.BGColor(), "#FFFFFF");
    ASSERT_TRUE(
        ui().queueScript("type ColorSel.HTMLColor \"#336699\"\nkey ColorSel.HTMLColor Enter\nanswer Okay").ok());
    form.Command17.userClick();
    EXPECT_EQ(form.colBack.ToolTipText(), "#336699");
    EXPECT_EQ(form.colBack.BackColor(), forms::rgb(0x33, 0x66, 0x99));
    EXPECT_EQ(form.FlashDemo.BGColor(), "#336699");
    // Every later refresh keeps it.
    form.chkDoChange.Value = 1;
    EXPECT_EQ(form.FlashDemo.BGColor(), "#336699");
}

TEST_F(Tint, TheExportButtonReadsTheTintsFromTheTintControl) {
    Form1& form = startOn(0);
    form.CurrentClip = ""; // stops after taking the tint
    form.ctlTinter1.mRedTint = 0;
    form.ctlTinter1.mGreenTint = -12;
    form.ctlTinter1.mBlueTint = 256;
    program->aModule.ClipFlashVars = "CWR=5&CWG=5&CWB=5";
    answerBox("OK");
    form.Command8.userClick();
    EXPECT_EQ(program->aModule.ClipFlashVars, "CWR=0&CWG=-12&CWB=256");
}

} // namespace
} // namespace glw::main::test
