// The movie player's one window "Glintwave Flash Player": unpacks the package, reads the startup list,
// sizes itself to the movie and plays it; the movie's script commands close, maximise or minimise it.
#pragma once

#include "forms/Controls.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "stubs/StubCore.h"

#include <string>
#include <vector>

namespace glw::stubs::player {

// Shown when the movie has extra files but the program's folder has no system path (a name in it holds
// "\"): the movie then plays without them.
inline constexpr const char* kNoProgramFolderMessage =
    "The folder of this program cannot be used, as a name in it holds \"\\\".  The movie plays without its "
    "extra files.";

class Form1 : public forms::Form {
public:
    Form1(forms::Runtime& runtime, StubEnvironment environment);
    ~Form1() override;

    forms::FlashPlayer FBit{*this, "FBit"};
    forms::PictureBox picProgbar{*this, "picProgbar"};
    forms::Label Label1{*this, "Label1"}; // "Extracting Data...."
    forms::Label lblPrgbar{*this, "lblPrgbar"};
    forms::ListBox List1{*this, "List1"};

    // TempFolder and DelFileList live in the core.
    StubCore core;
    std::string FlashVars;
    bool MReady = false;
    long MovieHeight = 0;
    long MovieWidth = 0;
    std::string MovieBgColor;
    std::string MovieScale;
    std::vector<std::string> ExtraFiles;
    bool IsLoading = false;

    void FBit_FSCommand(const std::string& command, const std::string& args);
    void SetBar(double precent);

    // The program's own folder with a closing "\", as the extra files are found beside it; "" when the
    // folder has no system path (App.Path is empty), and then no name may be joined onto it.
    std::string programFolder() const;
    // The extra files that were copied into the work folder at start-up; only these go back.
    const std::vector<std::string>& copiedIn() const { return m_copiedIn; }

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_Resize() override;

private:
    // Unload steps 1 and 2: the extra files go back beside the program, then the clean-up. Runs once,
    // also when the program ends without the window being closed.
    void finishRun();

    std::vector<std::string> m_copiedIn;
    bool m_finished = false;
};

} // namespace glw::stubs::player
