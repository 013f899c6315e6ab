// The main window "Glintwave SE Flash Browser/Transformer": start-up road, shortcuts, toolbar, the clip
// library's browse panels and pages, and (in later areas) the clip editor and the Export button.
#pragma once

#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/FileLists.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "forms/ListView.h"
#include "vb/VbError.h"

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
    // A thumbnail cell: a movie player that takes the focus when it is clicked, which selects it.
    class ThumbnailCell : public forms::FlashPlayer {
    public:
        using FlashPlayer::FlashPlayer;
        bool canFocus() const override { return true; }
    };

    // The browse source: 0 library categories, 1 disk folders, 2 browser cache. The JPEG clipart (3) is not
    // offered: no button, no shortcut.
    int BrowseSource = 0;
    bool CacheLoaded = false;
    std::string CurrentClip; // the full path of the clip of the cell selected last that held one
    int SelectedCell = 0;    // 0 to 11

    forms::Frame frmCats{*this, "frmCats"};   // holds Cats
    forms::Frame frmFiles{*this, "frmFiles"}; // holds Drive1, Dir1, File1
    forms::DriveListBox Drive1{*this, "Drive1"};
    forms::DirListBox Dir1{*this, "Dir1"};
    forms::FileListBox File1{*this, "File1"};
    forms::Frame frmCache{*this, "frmCache"}; // holds the note on cache entries
    forms::Label lblCacheNote{*this, "lblCacheNote"};
    forms::ListBox lstcache{*this, "lstcache"};           // hidden: the cached movies' local files
    forms::Frame Frame2{*this, "Frame2"};                 // shown while the cache list is built
    forms::ListBox lstFlashFiles{*this, "lstFlashFiles"}; // hidden: the full paths of the current listing
    forms::Frame frmSelect{*this, "frmSelect"};           // the page of thumbnail cells
    forms::ControlArray<ThumbnailCell> FSel{*this, "FSel"};
    forms::PictureBox Picture2{*this, "Picture2"};         // the selection marker under the selected cell
    forms::HScrollBar scrTemplates{*this, "scrTemplates"}; // the page number
    forms::Label lblEWidth{*this, "lblEWidth"};
    forms::TextBox EWidth{*this, "EWidth"}; // the selected cell's movie size in pixels
    forms::Label lblEHeight{*this, "lblEHeight"};
    forms::TextBox EHeight{*this, "EHeight"};
    forms::CommandButton btFavourite{*this, "btFavourite"}; // "Save SWF To Clipart"
    forms::CommandButton Command7{*this, "Command7"};       // "Remove Selected"
    forms::CommandButton Command15{*this, "Command15"};     // "Import New Libraries"
    forms::CommandButton Command27{*this, "Command27"};     // "Create An Import Library"
    // The save panel, hidden until used; CatsSave is inside it.
    forms::PictureBox Picture3{*this, "Picture3"};
    forms::Label lblSaveTitle{*this, "lblSaveTitle"};
    forms::Label lblSaveAs{*this, "lblSaveAs"};
    forms::TextBox txtSaveAs{*this, "txtSaveAs"};
    forms::Label lblSaveCategory{*this, "lblSaveCategory"};
    forms::CommandButton Command2{*this, "Command2"}; // "Okay"
    forms::CommandButton Command4{*this, "Command4"}; // "Cancel"
    forms::CommandButton Command5{*this, "Command5"}; // "Create New Category"

    void chkBrowseWhat_Click(int Index);
    void Cats_Click();
    void Drive1_Change();
    void Dir1_Change();
    void scrTemplates_Change();
    void FSel_GotFocus(int Index);
    // Builds lstcache from the browser's URL cache (once per process, see chkBrowseWhat_Click).
    void FillCacheList();
    void btFavourite_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Command7_Click();
    void Command15_Click();
    void Command27_Click();
    // The library's design and event bindings, called from layOut() and bindEvents().
    void layOutLibrary();
    void bindLibraryEvents();
    // Whether cell `index` shows a clip: a movie other than the empty movie "blank.swf" of the program's folder.
    bool cellHoldsClip(int index) const;

    // ---- clip editor ----
    forms::CommandButton Command1{*this, "Command1"}; // preview / edit toggle
    // The editor's pass state; a newly selected clip is scanned afresh.
    bool ElementsScanned = false;
    int ElementIndex = 0;
    void Command1_Click();         // preview / edit toggle
    void Option1_Click(int Index); // resource kinds of the edit view
    void Command11_Click();        // re-scan the current clip
    void Command12_Click();        // apply size

    // ---- export ----
    void Command8_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_KeyDown(int& KeyCode, int Shift) override;

private:
    // Fills Cats and CatsSave with the library's categories and selects the first of each.
    void listCategories(vb::ResumeNext& step);
    void layOut();
    void bindEvents();
    bool inEditView() const { return FlashDemo.Visible; }
};

} // namespace glw::main
