// The system's own message box and input box forms, and the module procedures that show them modally.
#pragma once

#include "forms/Controls.h"
#include "forms/Form.h"

namespace glw::common {

class Module1;

// MsgBoxEx styles and answers.
enum MsgStyle : int { msgOk = 0, msgYesNoCancel = 1, msgYesNo = 2 };
enum MsgAnswer : int { answerCancel = 2, answerYes = 6, answerOk = 6, answerNo = 7 };

// The message box: a caption (the title), Label1 (the message) and six picture buttons of which a style
// shows a subset; each button stores its answer in Module1::MsgBoxResult and unloads the form.
class MsgForm : public forms::Form {
public:
    // `loadPictures`: the main program and the updater load the No, Cancel and OK pictures from Resource;
    // the add-ins' box keeps the designed ones.
    MsgForm(forms::Runtime& runtime, Module1& module, bool loadPictures = true);

    forms::Label Label1{*this, "Label1"};
    forms::CommandButton Command1{*this, "Command1"}; // Yes (Yes/No/Cancel)
    forms::CommandButton Command2{*this, "Command2"}; // No
    forms::CommandButton Command3{*this, "Command3"}; // Cancel
    forms::CommandButton Command4{*this, "Command4"}; // Yes (Yes/No)
    forms::CommandButton Command5{*this, "Command5"}; // No
    forms::CommandButton Command6{*this, "Command6"}; // OK

    // The style shown, so that closing the box without a button can give that style's safe answer.
    int Style = msgOk;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();

protected:
    void Form_Load() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_KeyDown(int& KeyCode, int Shift) override;

private:
    void answer(int result);
    Module1& m_module;
    bool m_loadPictures;
    bool m_answered = false;
};

// The input box: caption (the title), Label1 (the prompt), Text1 (the answer), Command6 (OK), Command3 (Cancel).
class InputForm : public forms::Form {
public:
    InputForm(forms::Runtime& runtime, Module1& module);

    forms::Label Label1{*this, "Label1"};
    forms::TextBox Text1{*this, "Text1"};
    forms::CommandButton Command6{*this, "Command6"}; // OK
    forms::CommandButton Command3{*this, "Command3"}; // Cancel

    void Command6_Click();
    void Command3_Click();
    void Text1_KeyPress(int& KeyAscii);

protected:
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;

private:
    Module1& m_module;
    bool m_answered = false;
};

// The text an input box gives when it was cancelled.
inline constexpr const char* kHaveCancelled = "[HAVECANCELLED]";

// The module state of the boxes: the last answers, which live for the whole process and are never reset.
class Module1 {
public:
    explicit Module1(forms::Runtime& runtime, bool loadPictures = true)
        : m_runtime(runtime), m_loadPictures(loadPictures) {}

    int MsgBoxResult = 0;
    std::string InputBoxResult;

    // Shows the message box modally: style 0 OK, 1 Yes/No/Cancel, 2 Yes/No, any other no button. Returns
    // 6 for Yes or OK, 7 for No, 2 for Cancel. Closed without a button, it gives the answer of its Cancel
    // button, or No where there is none, or OK for style 0 (Cancel for a box without buttons).
    int MsgBoxEx(const std::string& message, int style, const std::string& title);
    // Shows the input box modally; the typed text on OK or Enter, "[HAVECANCELLED]" on Cancel, Esc or the
    // close box.
    std::string InputBoxEx(const std::string& prompt, const std::string& title, const std::string& defaultText);

    forms::Runtime& runtime() { return m_runtime; }

private:
    forms::Runtime& m_runtime;
    bool m_loadPictures;
};

} // namespace glw::common
