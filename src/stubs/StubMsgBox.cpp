// The stubs' message box.
#include "stubs/StubMsgBox.h"

#include "common/ModText.h"
#include "forms/Runtime.h"

#include <algorithm>

namespace glw::stubs {

namespace {

// How many lines the box's label needs for `prompt` at its width, reckoned from the width of an average
// character of the box's font: a message with a cause below it and a long path must show whole.
int linesOf(const std::string& prompt, int labelWidthTwips) {
    constexpr int kAverageCharTwips = 90;
    const std::size_t perLine = std::size_t(std::max(1, labelWidthTwips / kAverageCharTwips));
    int lines = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = prompt.find('\n', start);
        std::size_t length = (end == std::string::npos ? prompt.size() : end) - start;
        if (length > 0 && prompt[start + length - 1] == '\r') {
            --length;
        }
        lines += int(std::max<std::size_t>(1, (length + perLine - 1) / perLine));
        if (end == std::string::npos) {
            return lines;
        }
        start = end + 1;
    }
}

} // namespace

MsgBoxForm::MsgBoxForm(forms::Runtime& runtime, const std::string& prompt, int buttons, const std::string& title)
    : Form(runtime, "MsgBox"), Icon(buttons & 0x70) {
    Width = 5400;
    Height = 2100;
    BorderStyle = 3;
    ShowInTaskbar = false;
    Caption = title;
    Image1.Move(240, 240, 480, 480);
    Image1.StandardIcon = Icon;
    // Three lines fit the box as it is designed; a longer message makes it taller.
    constexpr int kLineTwips = 240;
    const int extra = std::max(0, linesOf(prompt, 4260) - 3) * kLineTwips;
    Height = Height + extra;
    Label1.Move(900, 240, 4260, 900 + extra);
    Label1.Caption = prompt;
    Command1.Caption = "OK";
    Command1.Default = true;
    Command1.Cancel = true;
    Command1.Move(2040, 1200 + extra, 1215, 375);
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
