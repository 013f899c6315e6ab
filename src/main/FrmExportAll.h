// The export dialog "Export": how the current clip leaves the program (a web page, a stand-alone player,
// the hand-back to the add-in that started the program, a screen saver with its installer), the output
// properties and movie variables, the executable's extra files, the remembered settings and the Export
// button that runs every export.
#pragma once

#include "base/Result.h"
#include "formats/StartupList.h"
#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/FileLists.h"
#include "forms/Form.h"

namespace glw::main {

class MainProgram;

// The remembered settings: this application name, exactly as stored, and the section.
inline constexpr const char* kExportSettingsApp = "evawtnilG aideM leroV";
inline constexpr const char* kExportSettingsSection = "DefSettings";
// The default of "LastSCRAuthor2".
inline constexpr const char* kDefaultAuthorWeb = "http://www.example.com/";

class frmExportAll : public forms::Form {
public:
    explicit frmExportAll(MainProgram& program);

    MainProgram& program;

    // The kind choice.
    forms::Frame Frame1{*this, "Frame1"};
    forms::Label Label1{*this, "Label1"};
    forms::ControlArray<forms::OptionButton> optExport{*this, "optExport"};
    // The location page.
    forms::Frame frmExport{*this, "frmExport"};
    forms::Label lblDrive{*this, "lblDrive"};
    forms::DriveListBox Drive2{*this, "Drive2"};
    forms::Label lblFolder{*this, "lblFolder"};
    forms::DirListBox Dir2{*this, "Dir2"};
    forms::FileListBox File1{*this, "File1"};
    forms::ListBox List2{*this, "List2"};
    forms::ListBox List3{*this, "List3"};
    // Kind 0: the web page.
    forms::Frame frmExport1{*this, "frmExport1"};
    forms::Label lblHtml{*this, "lblHtml"};
    forms::ComboBox fName{*this, "fName"};
    forms::Label lblSwf{*this, "lblSwf"};
    forms::TextBox txtOutFilename{*this, "txtOutFilename"};
    forms::Label lblData0{*this, "lblData0"};
    forms::ControlArray<forms::TextBox> txtDataFolder{*this, "txtDataFolder"};
    forms::Label Label20{*this, "Label20"};
    // Kind 1: the executable.
    forms::Frame frmExport2{*this, "frmExport2"};
    forms::Label lblExe{*this, "lblExe"};
    forms::TextBox Text2{*this, "Text2"};
    forms::Label lblAllow1{*this, "lblAllow1"};
    forms::ListBox lstAllow1{*this, "lstAllow1"};
    forms::CommandButton Command6{*this, "Command6"}; // "+"
    forms::CommandButton Command1{*this, "Command1"}; // "-"
    forms::Label lblAllow2{*this, "lblAllow2"};
    forms::ListBox lstAllow2{*this, "lstAllow2"};
    forms::CommandButton Command8{*this, "Command8"}; // "+"
    forms::CommandButton Command7{*this, "Command7"}; // "-"
    // Kind 2: the hand-back to the page editor, or to the presentation program.
    forms::Frame frmExport3{*this, "frmExport3"};
    forms::Label lblSwf2{*this, "lblSwf2"};
    forms::TextBox Text1{*this, "Text1"};
    forms::Label lblData2{*this, "lblData2"};
    forms::Label Label6{*this, "Label6"};
    forms::Frame frmPowerPoint{*this, "frmPowerPoint"};
    forms::Label Label14{*this, "Label14"};
    // Kind 3: the screen saver.
    forms::Frame frmExport4{*this, "frmExport4"};
    forms::Label lblScr{*this, "lblScr"};
    forms::TextBox txtSCRName{*this, "txtSCRName"};
    forms::Label lblInst{*this, "lblInst"};
    forms::TextBox Text4{*this, "Text4"};
    forms::Label lblAuthor{*this, "lblAuthor"};
    forms::TextBox txtAuthorName{*this, "txtAuthorName"};
    forms::Label lblWeb{*this, "lblWeb"};
    forms::TextBox txtAuthorWeb{*this, "txtAuthorWeb"};
    forms::Label Label11{*this, "Label11"};
    // The output properties panel.
    forms::PictureBox Picture1{*this, "Picture1"};
    forms::Label lblProps{*this, "lblProps"};
    forms::Label lblScale{*this, "lblScale"};
    forms::ComboBox lstScale{*this, "lstScale"};
    forms::Label lblWidth{*this, "lblWidth"};
    forms::TextBox fWidth{*this, "fWidth"};
    forms::CheckBox wPerc{*this, "wPerc"};
    forms::Label lblHeight{*this, "lblHeight"};
    forms::TextBox fHeight{*this, "fHeight"};
    forms::CheckBox hPerc{*this, "hPerc"};
    forms::Label lblWMode{*this, "lblWMode"};
    forms::ComboBox WMode{*this, "WMode"};
    forms::Label lblHAlign{*this, "lblHAlign"};
    forms::ComboBox HAlign{*this, "HAlign"};
    forms::Label lblVAlign{*this, "lblVAlign"};
    forms::ComboBox VAlign{*this, "VAlign"};
    forms::Frame frmVars{*this, "frmVars"};
    forms::ListBox lstVars{*this, "lstVars"};
    forms::ListBox lstVarVals{*this, "lstVarVals"};
    forms::Label lblVName{*this, "lblVName"};
    forms::TextBox txtVName{*this, "txtVName"};
    forms::Label lblVValue{*this, "lblVValue"};
    forms::TextBox txtVValue{*this, "txtVValue"};
    forms::CommandButton Command2{*this, "Command2"}; // "Add New Flash Variable"
    forms::CommandButton Command4{*this, "Command4"}; // "Save Flash Variable"
    // The button bar.
    forms::Frame frmButtons{*this, "frmButtons"};
    forms::CommandButton Command14{*this, "Command14"}; // "Output Properties"
    forms::CommandButton Command5{*this, "Command5"};   // "Help"
    forms::CommandButton Command20{*this, "Command20"}; // "Complete Export"
    forms::CommandButton Command3{*this, "Command3"};   // "Cancel"
    forms::CommonDialog CDL1{*this, "CDL1"};

    // The background colour of the last tag, for the startup lists.
    std::string ExportBGColor;

    void optExport_Click(int Index);
    void Command14_Click();
    void Command2_Click();
    void Command4_Click();
    void lstVars_Click();
    void Command6_Click();
    void Command1_Click();
    void Command8_Click();
    void Command7_Click();
    void Drive2_Change();
    void Dir2_Change();
    void Text1_Change();
    void txtOutFilename_Change();
    void txtDataFolder_Change(int Index);
    void Command5_Click();
    void Command3_Click();
    // The Export button: checks, questions, the export of the selected kind and its one closing message
    // ("... Export Complete." after success, the reason titled "Error" after a failure). While an export
    // runs, this button and Cancel do nothing and the close box does not close the dialog.
    void Command20_Click();

    // The steps of an export; each gives its status and, on failure, the reason for the user.
    Result<void> BuildObjectTag();
    Result<void> CompleteStandardExport(bool replacePage);
    Result<void> PrepareExeExport();
    Result<void> PrepareScrExport();
    // The startup list of the dialog's values, for the player's and the screen saver's layout.
    formats::StartupList startupList() const;
    Result<void> BuildInstallerExport();

    bool busy() const { return m_busy; }

protected:
    void Form_Load() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;

private:
    void layOut();
    void bindEvents();
    void layOutPage(int kind);
    int selectedKind() const;
    std::string outputFolder() const;
    std::string inOutputFolder(const std::string& name) const;
    void saveSettings();
    Result<void> callDoMainExport(const std::string& swfName, const std::string& dataFolder);
    // The bare names of ExportFiles' sources, in order: the entries the package holds.
    std::vector<std::string> packedNames();
    void showError(const Error& error);

    bool m_busy = false;
    bool m_propertiesShown = false;
};

// The extension rule of the name boxes: appends `extension` (lower case, with its dot) unless the last four
// characters of the text, lower-cased, already are it.
std::string withExtension(const std::string& text, const std::string& extension);

} // namespace glw::main
