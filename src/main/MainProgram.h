// The main program put together: its runtime, its modules' state and its main window.
#pragma once

#include "AModule.h"
#include "common/ModText.h"
#include "common/MsgForm.h"

#include <memory>

namespace glw::main {

class Form1;

class MainProgram {
public:
    explicit MainProgram(forms::Runtime& runtime);
    ~MainProgram();

    forms::Runtime& runtime;
    common::Module1 module1;
    common::ModText modText;
    AModule aModule;

    Form1& form1();

    // The boxes, as every form of the program calls them.
    int MsgBoxEx(const std::string& message, int style, const std::string& title) {
        return module1.MsgBoxEx(message, style, title);
    }
    std::string InputBoxEx(const std::string& prompt, const std::string& title, const std::string& defaultText) {
        return module1.InputBoxEx(prompt, title, defaultText);
    }

private:
    std::unique_ptr<Form1> m_form1;
};

} // namespace glw::main
