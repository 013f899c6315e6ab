// The main window "Glintwave SE Flash Browser/Transformer": start-up road, shortcuts, toolbar, the clip
// library's browse panels and pages, and (in later areas) the clip editor and the Export button.
#pragma once

#include "platform/forms/CommonDialog.h"
#include "platform/forms/Controls.h"
#include "platform/forms/FlashPlayer.h"
#include "platform/forms/Form.h"
#include "platform/forms/ListView.h"

namespace glw::main {

class MainProgram;

class Form1 : public forms::Form {
public:
    explicit Form1(MainProgram& program);
    ~Form1() override;

    MainProgram& program;

    // ---- start-up, toolbar and commands ----
    forms::CommandButton Command8{*this, "Command8"}; // Export (the hand-back button in add-in mode)
    forms::PictureBox picFP{*this, "picFP"};          // holds the hand-back picture
    forms::ControlArray<forms::FlashPlayer> TitleBar{*this, "TitleBar"};
    forms::ControlArray<forms::FlashPlayer> Extend1{*this, "Extend1"};
    forms::ComboBox lstFonts{*this, "lstFonts"};
    forms::ListBox Cats{*this, "Cats"};
    forms::ComboBox CatsSave{*this, "CatsSave"};
    forms::Frame frmBrowseWhat{*this, "frmBrowseWhat"};
    forms::ControlArray<forms::OptionButton> chkBrowseWhat{*this, "chkBrowseWhat"};
    forms::FlashPlayer FlashDemo{*this, "FlashDemo"};
    forms::ControlArray<forms::OptionButton> Option1{*this, "Option1"};
    forms::ControlArray<forms::CommandButton> fBut{*this, "fBut"};
    forms::CommandButton Command3{*this, "Command3"}; // Exit
    forms::CommandButton Command6{*this, "Command6"}; // Help
    forms::Menu mnuSupport{*this, "mnuSupport"};
    forms::Menu mnuWeb{*this, "mnuWeb", &mnuSupport};
    forms::Menu mnuWebSupport{*this, "mnuWebSupport", &mnuSupport};
    forms::Menu mnuEmail{*this, "mnuEmail", &mnuSupport};

    // The panel titles of TitleBar 0 to 5, exactly as the title movies show them.
    static const char* const kPanelTitles[6];

    void fBut_Click(int Index);
    void Command3_Click();
    void Command6_Click();
    // Opens the help file; the import dialog, the maker and the export dialog call it for their Help buttons.
    void CallHelp();
    void mnuWeb_Click();
    void mnuWebSupport_Click();
    void mnuEmail_Click();

    // ---- clip library ----
    // The browse source: 0 library categories, 1 disk folders, 2 browser cache, 3 JPEG clipart.
    int BrowseSource = 0;
    bool CacheLoaded = false;

    void chkBrowseWhat_Click(int Index);
    void Cats_Click();

    // ---- clip editor ----
    void Command1_Click();             // preview / edit toggle
    void Option1_Click(int Index);     // resource kinds of the edit view
    void Command11_Click();            // re-scan the current clip
    void Command12_Click();            // apply size

    // ---- export ----
    void Command8_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_KeyDown(int& KeyCode, int Shift) override;

private:
    void layOut();
    void bindEvents();
    bool inEditView() const { return FlashDemo.Visible; }
};

} // namespace glw::main
