// The link chooser "Select URL": the target address of a link element, as a web page (typed, from the
// open browser pages or from the files beside the host page), a file, an e-mail address, a presentation
// navigation command or a script. The address comes in and goes out through LinkURL.
#pragma once

#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/Form.h"

namespace glw::main {

class MainProgram;

class frmURL : public forms::Form {
public:
    explicit frmURL(MainProgram& program);

    MainProgram& program;

    forms::Label Label2{*this, "Label2"};
    forms::ControlArray<forms::OptionButton> Option2{*this, "Option2"};
    forms::Label Label1{*this, "Label1"};
    forms::ComboBox txtURL{*this, "txtURL"};
    forms::CommandButton Command1{*this, "Command1"};   // "..."
    forms::Label Label4{*this, "Label4"};               // the hint of the chosen kind
    forms::CommandButton Command20{*this, "Command20"}; // "Okay"
    forms::CommandButton Command3{*this, "Command3"};   // "Cancel"
    forms::CommonDialog CDL1{*this, "CDL1"};

    // The saved scripts, one a line, in the application folder.
    static constexpr const char* kNavScriptsFile = "navscripts.txt";

    void FillIEURLS();
    void Option2_Click(int Index);
    void Command1_Click();
    void Command20_Click();
    void Command3_Click();
    void LoadNavScripts();

protected:
    void Form_Load() override;

private:
    // The option button that is selected, 0 when none is.
    int selectedKind() const;
    void askForScript();
};

} // namespace glw::main
