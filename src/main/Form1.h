// The main window "Glintwave SE Flash Browser/Transformer": start-up road, shortcuts, toolbar, the clip
// library's browse panels and pages, the clip editor and the Export button.
#pragma once

#include "base/Result.h"
#include "colour/CtlTinter.h"
#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/FileLists.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "forms/ListView.h"
#include "swf/SwfGenerator.h"
#include "vb/VbError.h"

#include <array>
#include <map>
#include <memory>

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
    // The clip path each cell shows, "" for none. The cells' Movie texts may carry movie variables after
    // "?"; a clip path never does.
    std::array<std::string, 12> cellClips;
    int SelectedCell = 0; // 0 to 11
    // The page display under way, and whether a newer page overtook it (see scrTemplates_Change).
    bool showingPage = false;
    bool pageOvertaken = false;

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
    // The edit view's preview, over the page of cells: made after them, so that it is drawn above them.
    forms::FlashPlayer FlashDemo{*this, "FlashDemo"};
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
    // Shows the page the bar shows. A change of page while a display is under way (its DoEvents let the
    // user drag the bar on) makes that display start over at the new page instead of running a second
    // display inside it: the newest page wins and the cells always end on the bar's page.
    void scrTemplates_Change();
    // Selects the cell when it holds a clip; a cell without one changes nothing.
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
    // The empty movie that empty cells and the idle preview show: "blank.swf" in the program's folder.
    std::string blankMovie() const;

    // ---- clip editor ----
    // The preview area's caption, the "Apply" box and the size and background controls under the preview.
    forms::Label Label8{*this, "Label8"};
    forms::CommandButton Command1{*this, "Command1"};   // preview / edit toggle
    forms::CheckBox chkDoChange{*this, "chkDoChange"};  // "Apply": the preview shows the rebuilt working copy
    forms::CommandButton Command11{*this, "Command11"}; // detect the elements again
    forms::CommandButton Command12{*this, "Command12"}; // apply the size
    forms::Label lblBack{*this, "lblBack"};
    forms::Label colBack{*this, "colBack"}; // the preview's background: BackColor, and ToolTipText as an HTML colour
    forms::CommandButton Command17{*this, "Command17"};
    // The tint towards a colour: its three tints reach the players as the movie variables CWR, CWG and CWB.
    static common::Module1& boxesOf(MainProgram& program);
    colour::ctlTinter ctlTinter1{*this, "ctlTinter1", boxesOf(program)};
    void ctlTinter1_SetTint(std::int16_t red, std::int16_t green, std::int16_t blue);
    // Rebuilds ClipFlashVars from ctlTinter1 and reloads the preview (and, in the browse view, the selected
    // cell) with the clean clip path and that query.
    void ApplyTintToPreview();
    // "CWR=" red "&CWG=" green "&CWB=" blue, from ctlTinter1.
    std::string tintText() const;
    // The clip path the preview plays, never with a query; "" while it plays none.
    std::string PreviewClip;
    // Loads the empty movie, then `clip` (followed by "?" and ClipFlashVars when `tinted`) into FlashDemo,
    // showing it when `show`, with colBack's colour as its background.
    void preview(const std::string& clip, bool tinted, bool show);
    forms::CommonDialog CommonDialog1{*this, "CommonDialog1"};
    // The detected-resources list (hidden) and its visible view of one kind.
    forms::ListView ListView1{*this, "ListView1"};
    forms::ListView ListView2{*this, "ListView2"};
    // The editing panel and its four property panels, one per kind, at the same place.
    forms::Frame PixProps{*this, "PixProps"};
    forms::Frame PropsText{*this, "PropsText"};
    forms::Label lblText{*this, "lblText"};
    forms::TextBox Text2{*this, "Text2"};
    forms::Label lblFont{*this, "lblFont"};
    forms::ComboBox txtFontBase{*this, "txtFontBase"};
    forms::CommandButton Command10{*this, "Command10"}; // "Save Text Item"
    forms::CommandButton Command26{*this, "Command26"}; // reset the text
    forms::CommandButton Command13{*this, "Command13"}; // the chosen font to every text
    forms::CommandButton Command9{*this, "Command9"};   // fonts this system lacks become "Arial"
    forms::CommandButton Command14{*this, "Command14"}; // "Clear All Text"
    forms::Label lblTextNote{*this, "lblTextNote"};
    forms::Frame PropsLink{*this, "PropsLink"};
    forms::Label lblLink{*this, "lblLink"};
    forms::TextBox Text3{*this, "Text3"};
    forms::CommandButton Command16{*this, "Command16"}; // choose a link
    forms::CommandButton Command20{*this, "Command20"}; // apply
    forms::CommandButton Command18{*this, "Command18"}; // restore
    forms::Frame PropsImage{*this, "PropsImage"};
    forms::Label lblImage{*this, "lblImage"};
    forms::TextBox Text4{*this, "Text4"};
    forms::CommandButton Command22{*this, "Command22"}; // "..." pick a JPEG file
    forms::Label lblQuality{*this, "lblQuality"};
    forms::Slider Slider1{*this, "Slider1"};
    forms::TextBox Text6{*this, "Text6"};
    forms::CommandButton Command19{*this, "Command19"}; // apply
    forms::CommandButton Command21{*this, "Command21"}; // restore
    forms::Frame PropsSound{*this, "PropsSound"};
    forms::Label lblSound{*this, "lblSound"};
    forms::TextBox Text5{*this, "Text5"};
    forms::CommandButton Command25{*this, "Command25"}; // "..." pick an MP3 file
    forms::CommandButton Command23{*this, "Command23"}; // apply
    forms::CommandButton Command24{*this, "Command24"}; // restore

    // The editor's pass state. ScanMode is true only around a scan's load; ElementIndex counts the
    // elements of the current pass; a newly selected clip is scanned afresh.
    bool ScanMode = false;
    std::int32_t ElementIndex = 0;
    bool ElementsScanned = false;
    // The clip the rows of ListView1 were scanned from ("" when none): the element events write rows back
    // only into that clip, and the export's own apply pass relies on it as well.
    std::string ScannedClip;
    // The generator of the pass that runs; null between passes.
    std::unique_ptr<swf::SwfGenerator> swfButton;
    std::string CurrentRowKey;    // the row last chosen in ListView2
    std::string LastImportFolder; // the folder of the replacement file picked last, with its backslash

    void Command1_Click(); // preview / edit toggle
    void chkDoChange_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click(); // re-scan the current clip
    void Command12_Click(); // apply size
    void Command13_Click();
    void Command14_Click();
    void Command16_Click();
    void Command17_Click();
    void Command18_Click();
    void Command19_Click();
    void Command20_Click();
    void Command21_Click();
    void Command22_Click();
    void Command23_Click();
    void Command24_Click();
    void Command25_Click();
    void Command26_Click();
    void Option1_Click(int Index); // resource kinds of the edit view
    void ListView2_ItemClick(forms::ListItem& Item);
    void Text2_KeyPress(int& KeyAscii);
    void Text6_Change();
    void Slider1_Change();
    void EHeight_LostFocus();
    void EWidth_LostFocus();
    // The apply pass and its preview, when "Apply" is ticked and the edit view shows.
    void RebuildWorkingClip();

    // The element events of the generator of a pass: in a scan they add the rows, in an apply pass they
    // write the rows back into the elements.
    void swfButton_OnBeforeSubText(swf::TextActionElement& pDisp);
    void swfButton_OnSubActionGetUrl(swf::LinkElement& pDisp);
    void swfButton_OnSubActionString(swf::TextActionElement& pDisp);
    void swfButton_OnSubEditText(swf::EditTextElement& pDisp);
    void swfButton_OnSubImage(swf::ImageElement& pDisp);
    void swfButton_OnSubSound(swf::SoundElement& pDisp);
    void swfButton_OnSubText(swf::TextElement& pDisp);

    // ---- export ----
    void Command8_Click();
    // Writes the finished clip as Working\SWFFileName (rebuilt with the edits when "Apply" is ticked, else
    // copied) and describes it in ExportFiles and ExportCode. The export dialog calls it through
    // CallingForm. The result says whether the clip was written, with the reason when it was not.
    Result<void> DoMainExport(const std::string& SWFFileName, const std::string& DataFolder);
    // The return code that heads the add-in reply.
    std::string FPReturnCode() const { return "GLWFPRetClip"; }

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_KeyDown(int& KeyCode, int Shift) override;

private:
    // Fills Cats and CatsSave with the library's categories and selects the first of each.
    void listCategories(vb::ResumeNext& step);
    void layOut();
    void bindEvents();
    void layOutEditor();
    void bindEditorEvents();
    // The editor's passes and the preview (see Form1Editor.cpp).
    bool scanPass();
    Result<void> applyPass(bool sized, const std::string& output);
    // The apply pass into the working copy, then the preview of it; on failure the preview plays the plain
    // clip and the user is told why.
    Result<void> rebuildPreview(bool resize, bool show);
    void newGenerator();
    // Ticks "Apply" when it is not ticked; true when its click has just rebuilt the working copy (edit view),
    // so that the caller does not run the same pass twice.
    bool tickApply();
    std::string workingCopy() const;
    forms::ListItem* rowToApply(const char* kind);
    void recordTextRow(const swf::TextElement& element, const char* kind);
    void applyTextRow(forms::ListItem& row, swf::TextElement& element);
    // Writes sub-items of the current row in ListView2, then in ListView1.
    void writeCurrentRow(int subItem, const std::string& value);
    std::string m_passClip; // the clip the running pass loaded
    // A row the running apply pass handed to its element: what the row showed for the element as loaded
    // (sub-items 2 to 4) and the value it asked for, kept to take the row back when the value is refused.
    struct SubmittedRow {
        std::string key;
        std::array<std::string, 3> asLoaded;
        std::string asked;
    };
    std::map<std::size_t, SubmittedRow> m_submitted; // by element number (ElementIndex)
    void noteSubmitted(const forms::ListItem& row, std::array<std::string, 3> asLoaded);
    // Rows whose values the save refused are put back to what the clip holds; returns the message that
    // tells the user which were refused and why (empty when none was).
    std::string takeBackRefused(const swf::SwfGenerator& generator);
    bool inEditView() const { return FlashDemo.Visible; }
};

} // namespace glw::main
