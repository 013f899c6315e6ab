// The screen saver's forms: frmScreen shows the movie, frmConfig is the About box, Form1 unpacks.
#pragma once

#include "forms/Controls.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"

#include <string>

namespace glw::stubs::saver {

class Module1;

// The screen form "Glintwave Player 1.0": the movie over the whole screen, and Text1, which holds the
// keyboard focus so that any key, or the focus leaving it, ends the saver.
class frmScreen : public forms::Form {
public:
    explicit frmScreen(Module1& module);

    Module1& module;
    forms::FlashPlayer FBit{*this, "FBit"};
    forms::TextBox Text1{*this, "Text1"};
    // Shown inside the display settings' preview window: the focus belongs to that window's program, so
    // neither taking it nor losing it ends the preview; it ends with that window.
    bool InPreview = false;

    void FBit_FSCommand(const std::string& command, const std::string& args);
    void Text1_KeyDown(int& KeyCode, int Shift);
    void Text1_KeyPress(int& KeyAscii);
    void Text1_LostFocus();

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_Deactivate() override;
    void Form_Click() override;
    void Form_Resize() override;
};

// The About box: the author's name and web address from the startup list, and the credit line.
class frmConfig : public forms::Form {
public:
    explicit frmConfig(Module1& module);

    Module1& module;
    forms::Label Label2{*this, "Label2"}; // author name
    forms::Label Label3{*this, "Label3"}; // author web address
    forms::Label Label4{*this, "Label4"}; // credit line
    forms::CommandButton Command1{*this, "Command1"};

    void Label3_Click();
    void Label4_Click();
    void Command1_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
};

// The unpacking form, never shown: unpacks the package and reads the startup list when it loads, then
// unloads itself on its timer's first tick.
class Form1 : public forms::Form {
public:
    explicit Form1(Module1& module);

    Module1& module;
    forms::ListBox List1{*this, "List1"};
    forms::Timer Timer1{*this, "Timer1"};

    void Timer1_Timer();

protected:
    void Form_Load() override;
};

} // namespace glw::stubs::saver
