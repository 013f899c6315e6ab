// The screen-saver installer's one window "GLW Screen Saver Installer 1.0": unpacks the screen saver,
// copies it into the chosen folder and, when asked, makes it the user's current screen saver.
#pragma once

#include "forms/Controls.h"
#include "forms/Form.h"
#include "platform/Registry.h"
#include "stubs/StubCore.h"

#include <string>

namespace glw::stubs::installer {

// Shown by Install when the folder box is empty; the window stays open.
inline constexpr const char* kNoFolderMessage = "Please enter the folder to install the screen saver to.";
// Shown, with the cause below it, when the saver was installed but could not be made the current one.
inline constexpr const char* kNotCurrentMessage =
    "The screen saver was installed, but it could not be made the current screen saver.";

class Form1 : public forms::Form {
public:
    Form1(forms::Runtime& runtime, StubEnvironment environment);
    ~Form1() override;

    forms::PictureBox picProgbar{*this, "picProgbar"};
    forms::Label Label1{*this, "Label1"}; // "Extracting Data...."
    forms::Label lblPrgbar{*this, "lblPrgbar"};
    forms::ListBox List1{*this, "List1"};
    forms::PictureBox Picture1{*this, "Picture1"};
    forms::Label Label2{*this, "Label2"}; // "Install To (Windows Folder) : "
    forms::TextBox Text1{*this, "Text1"};
    forms::CheckBox Check1{*this, "Check1"};
    forms::CommandButton Command15{*this, "Command15"}; // Install
    forms::CommandButton Command3{*this, "Command3"};   // Cancel
    forms::Label Label4{*this, "Label4"};               // credit line
    forms::Image Image1{*this, "Image1"};
    forms::Image Image2{*this, "Image2"};

    // TempFolder and DelFileList live in the core.
    StubCore core;
    // The name of the last package entry ending in ".scr"; "" when there is none.
    std::string ScrFileName;

    void Command15_Click();
    void Command3_Click();
    void Label4_Click();
    void SetBar(double precent);

    // Copies one file, replacing the target only with a complete copy, and makes the copy runnable (it
    // is a program). On failure: the copy-error message, and False.
    bool FileCopyTo(const std::string& FullPathFile, const std::string& DestPath);
    // Creates or opens the key, writes the text value, closes the key. False (and logged) on failure, with
    // its cause kept for Install's message.
    bool RegSaveString(platform::HKEY hKey, const std::string& strPath, const std::string& strValue,
                       const std::string& strData);

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

private:
    std::string m_registryFailure; // why the last RegSaveString failed
};

} // namespace glw::stubs::installer
