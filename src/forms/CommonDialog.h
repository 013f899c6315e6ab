// The common dialog control: file open and save, and colour, with Cancel told apart from OK. The
// dialog itself is shown by the renderer; headless runs take the answer from the script or the test.
#pragma once

#include "Control.h"

namespace glw::forms {

enum class DialogKind { Open, Save, Color };

struct DialogRequest {
    DialogKind kind = DialogKind::Open;
    std::string title;
    std::string filter; // "Flash Movies (*.swf)|*.swf|All Files|*.*"
    int filterIndex = 1;
    std::string initDir;  // system path
    std::string fileName; // system path or name proposed
    std::string defaultExt;
    long color = 0;
    long flags = 0;
};

struct DialogAnswer {
    bool ok = false;
    std::string fileName; // system path, for the file dialogs
    long color = 0;       // for the colour dialog
};

class CommonDialog : public Control {
public:
    CommonDialog(Form& form, std::string name, int index = -1)
        : Control(form, ControlKind::CommonDialog, std::move(name), index) {}

    Property<std::string> DialogTitle{*this, PropertyId::DialogTitle};
    Property<std::string> Filter{*this, PropertyId::Filter};
    Property<int> FilterIndex{*this, PropertyId::FilterIndex, 1};
    Property<std::string> FileName{*this, PropertyId::FileName};
    Property<std::string> FileTitle{*this, PropertyId::FileTitle};
    Property<std::string> InitDir{*this, PropertyId::InitDir};
    Property<std::string> DefaultExt{*this, PropertyId::DefaultExt};
    Property<long> Color{*this, PropertyId::Color, 0};
    Property<long> Flags{*this, PropertyId::Flags, 0};
    // With CancelError set, Cancel raises run-time error 32755; otherwise the properties stay as they were.
    Property<bool> CancelError{*this, PropertyId::CancelError, false};

    void ShowOpen() { show(DialogKind::Open); }
    void ShowSave() { show(DialogKind::Save); }
    void ShowColor() { show(DialogKind::Color); }
    // Whether the last Show... ended with OK (the original tells it only by CancelError or by testing
    // FileName; this saves callers the trick).
    bool lastOk() const { return m_lastOk; }

private:
    void show(DialogKind kind);
    bool m_lastOk = false;
};

constexpr int kCancelErrorNumber = 32755;

} // namespace glw::forms
