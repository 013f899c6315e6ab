// The platform's plain message box as the stubs use it: a message, an icon, one OK button and a title.
#pragma once

#include "forms/Controls.h"
#include "forms/Form.h"

#include <string>

namespace glw::stubs {

// The icon part of the box's style, as the stubs pass it.
enum MsgBoxStyle : int { vbOKOnly = 0, vbCritical = 16, vbExclamation = 48, vbInformation = 64 };
// The answer of the OK button.
inline constexpr int vbOK = 1;

// The box: Image1 shows the desktop's icon of the style's icon part (Icon), Label1 holds the message,
// Command1 is OK.
class MsgBoxForm : public forms::Form {
public:
    MsgBoxForm(forms::Runtime& runtime, const std::string& prompt, int buttons, const std::string& title);

    forms::Image Image1{*this, "Image1"};
    forms::Label Label1{*this, "Label1"};
    forms::CommandButton Command1{*this, "Command1"};
    const int Icon;

    void Command1_Click();
};

// Shows the box modally and returns vbOK, also when it was closed without the button. The trace shows
// `msgbox "title" "message" style` and then `msgbox-answer 1`.
int MsgBox(forms::Runtime& runtime, const std::string& prompt, int buttons, const std::string& title);

} // namespace glw::stubs
