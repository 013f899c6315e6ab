// The message and input boxes.
#include "MsgForm.h"

#include "ModText.h"
#include "forms/Runtime.h"

namespace glw::common {

namespace {

void placeButton(forms::CommandButton& button, const char* text, int left) {
    // Picture buttons carry their text as a tooltip; the caption shows where no picture is loaded.
    button.Caption = text;
    button.ToolTipText = text;
    button.Style = 1;
    button.Move(left, 1560, 1215, 495);
}

} // namespace

MsgForm::MsgForm(forms::Runtime& runtime, Module1& module, bool loadPictures)
    : Form(runtime, "MsgForm"), m_module(module), m_loadPictures(loadPictures) {
    Width = 5580;
    Height = 2640;
    BorderStyle = 3;
    KeyPreview = true;
    Label1.Move(240, 240, 5040, 1200);
    placeButton(Command1, "Yes", 840);
    placeButton(Command2, "No", 2160);
    placeButton(Command3, "Cancel", 3480);
    placeButton(Command4, "Yes", 1500);
    placeButton(Command5, "No", 2820);
    placeButton(Command6, "OK", 2160);
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    Command6.Click = [this] { Command6_Click(); };
}

void MsgForm::Form_Load() {
    if (!m_loadPictures) {
        return;
    }
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "MsgForm.Form_Load");
    step([&] { Command6.Picture = rt.LoadPicture(rt.App.Path + "\\resource\\okay.jpg"); });
    step([&] { Command3.Picture = rt.LoadPicture(rt.App.Path + "\\resource\\cancel.jpg"); });
    step([&] { Command5.Picture = rt.LoadPicture(rt.App.Path + "\\resource\\no.jpg"); });
    step([&] { Command2.Picture = rt.LoadPicture(rt.App.Path + "\\resource\\no.jpg"); });
}

void MsgForm::answer(int result) {
    m_module.MsgBoxResult = result;
    m_answered = true;
    Unload();
}

void MsgForm::Command1_Click() {
    answer(answerYes);
}
void MsgForm::Command2_Click() {
    answer(answerNo);
}
void MsgForm::Command3_Click() {
    answer(answerCancel);
}
void MsgForm::Command4_Click() {
    answer(answerYes);
}
void MsgForm::Command5_Click() {
    answer(answerNo);
}
void MsgForm::Command6_Click() {
    answer(answerOk);
}

void MsgForm::Form_QueryUnload(int&, int) {
    if (m_answered) {
        return;
    }
    // Closed without a button: the safe answer of the style, never the previous box's answer.
    m_module.MsgBoxResult = Style == msgOk ? answerOk : Style == msgYesNo ? answerNo : answerCancel;
    m_answered = true;
}

void MsgForm::Form_KeyDown(int& KeyCode, int) {
    if (KeyCode == forms::vbKeyEscape) {
        KeyCode = 0;
        Unload(forms::vbFormControlMenu);
    }
}

InputForm::InputForm(forms::Runtime& runtime, Module1& module) : Form(runtime, "InputForm"), m_module(module) {
    Width = 5580;
    Height = 2400;
    BorderStyle = 3;
    Label1.Move(240, 180, 5040, 600);
    Text1.Move(240, 840, 5040, 315);
    Command6.Caption = "OK";
    Command6.ToolTipText = "OK";
    Command6.Move(2700, 1320, 1215, 495);
    Command3.Caption = "Cancel";
    Command3.ToolTipText = "Cancel";
    Command3.Move(4065, 1320, 1215, 495);
    Command6.Click = [this] { Command6_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Text1.KeyPress = [this](int& KeyAscii) { Text1_KeyPress(KeyAscii); };
}

void InputForm::Command6_Click() {
    m_module.InputBoxResult = Text1.Text;
    m_answered = true;
    Unload();
}

void InputForm::Command3_Click() {
    m_module.InputBoxResult = kHaveCancelled;
    m_answered = true;
    Unload();
}

void InputForm::Text1_KeyPress(int& KeyAscii) {
    if (KeyAscii == forms::vbKeyReturn) {
        KeyAscii = 0;
        Command6_Click();
    } else if (KeyAscii == forms::vbKeyEscape) {
        KeyAscii = 0;
        Command3_Click();
    }
}

void InputForm::Form_QueryUnload(int&, int) {
    if (!m_answered) {
        // Closed with the close box: a cancel, never the previous box's answer.
        m_module.InputBoxResult = kHaveCancelled;
        m_answered = true;
    }
}

int Module1::MsgBoxEx(const std::string& message, int style, const std::string& title) {
    MsgForm form(m_runtime, *this, m_loadPictures);
    form.Load();
    form.Label1.Caption = message;
    form.Caption = title;
    form.Style = style;
    for (auto* button :
         {&form.Command1, &form.Command2, &form.Command3, &form.Command4, &form.Command5, &form.Command6}) {
        button->Visible = false;
    }
    switch (style) {
    case msgOk:
        form.Command6.Visible = true;
        break;
    case msgYesNoCancel:
        form.Command1.Visible = true;
        form.Command2.Visible = true;
        form.Command3.Visible = true;
        break;
    case msgYesNo:
        form.Command4.Visible = true;
        form.Command5.Visible = true;
        break;
    default:
        break;
    }
    auto& trace = m_runtime.trace();
    if (trace.enabled()) {
        trace.write("msgbox " + forms::Trace::quote(title) + " " + forms::Trace::quote(message) + " " +
                    std::to_string(style));
    }
    CenterForm(form); // the boxes open in the middle of the screen, not in its corner
    form.Show(forms::vbModal);
    if (trace.enabled()) {
        trace.write("msgbox-answer " + std::to_string(MsgBoxResult));
    }
    return MsgBoxResult;
}

std::string Module1::InputBoxEx(const std::string& prompt, const std::string& title, const std::string& defaultText) {
    InputForm form(m_runtime, *this);
    form.Load();
    form.Caption = title;
    form.Label1.Caption = prompt;
    form.Text1.Text = defaultText;
    auto& trace = m_runtime.trace();
    if (trace.enabled()) {
        trace.write("inputbox " + forms::Trace::quote(title) + " " + forms::Trace::quote(prompt));
    }
    CenterForm(form);
    form.Show(forms::vbModal);
    if (trace.enabled()) {
        trace.write("inputbox-answer " + forms::Trace::quote(InputBoxResult));
    }
    return InputBoxResult;
}

} // namespace glw::common
