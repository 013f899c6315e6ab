// The stubs' message box.
#include "stubs/StubMsgBox.h"

#include "common/ModText.h"
#include "forms/Runtime.h"

namespace glw::stubs {

MsgBoxForm::MsgBoxForm(forms::Runtime& runtime, const std::string& prompt, int buttons, const std::string& title)
    : Form(runtime, "MsgBox"), Icon(buttons & 0x70) {
    Width = 5400;
    Height = 2100;
    BorderStyle = 3;
    ShowInTaskbar = false;
    Caption = title;
    Image1.Move(240, 240, 480, 480);
    Image1.StandardIcon = Icon;
    Label1.Move(900, 240, 4260, 900);
    Label1.Caption = prompt;
    Command1.Caption = "OK";
    Command1.Default = true;
    Command1.Cancel = true;
    Command1.Move(2040, 1200, 1215, 375);
    Command1.Click = [this] { Command1_Click(); };
}

void MsgBoxForm::Command1_Click() {
    Unload();
}

int MsgBox(forms::Runtime& runtime, const std::string& prompt, int buttons, const std::string& title) {
    MsgBoxForm box(runtime, prompt, buttons, title);
    box.Load();
    common::CenterForm(box);
    auto& trace = runtime.trace();
    if (trace.enabled()) {
        trace.write("msgbox " + forms::Trace::quote(title) + " " + forms::Trace::quote(prompt) + " " +
                    std::to_string(buttons));
    }
    box.Show(forms::vbModal);
    if (trace.enabled()) {
        trace.write("msgbox-answer " + std::to_string(vbOK));
    }
    return vbOK;
}

} // namespace glw::stubs
