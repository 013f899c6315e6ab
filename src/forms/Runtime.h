// The forms runtime of one program: its services, App and Screen, the loaded forms, the driver that shows
// them, the message pump, the End statement and the log of errors that handlers skipped.
#pragma once

#include "Form.h"
#include "Trace.h"
#include "UiDriver.h"
#include "platform/BrowserWindows.h"
#include "platform/Cache.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "vb/VbError.h"

#include <functional>
#include <memory>
#include <optional>

namespace glw::forms {

// The services, the movie's size and its probe are the platform's (platform/Services.h).
using platform::MovieProbe;
using platform::MovieSize;
using platform::Services;

struct AppObject {
    std::string Path;    // system path of the program's folder, without a closing "\"
    std::string EXEName; // the program's file name without its extension
    std::string Title;
};

struct ScreenObject {
    int Width = 1024 * 15; // twips
    int Height = 768 * 15;
    double TwipsPerPixelX = 15;
    double TwipsPerPixelY = 15;
    int MousePointer = 0;
};

class Runtime {
public:
    // A runtime without a driver gets the headless one (no script) when it first needs one.
    explicit Runtime(Services services);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    void setDriver(std::unique_ptr<UiDriver> driver);
    UiDriver& ui();
    Services& services() { return m_services; }
    Trace& trace() { return m_trace; }

    AppObject App;
    ScreenObject Screen;
    std::string Command; // the command line after the program's name (Command$)

    // --- the original language's built-ins that reach the platform ---
    std::string ClipboardGetText();
    void ClipboardSetText(const std::string& text);
    void ClipboardClear();
    std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                           const std::string& defaultValue = "");
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value);
    // The shell's default action on a system path or address; the shell's result (above 32 is success).
    long ShellOpen(const std::string& target);
    // A picture from a system path; run-time error 53 for a missing file, 481 for one that is no picture.
    platform::Picture LoadPicture(const std::string& systemPath);
    std::vector<std::string> ScreenFonts();
    double Timer();
    void Randomize();
    float Rnd();
    int Hour();
    int Second();
    void DoEvents();
    // The End statement: unloads nothing further, records the end and unwinds to the program's top.
    [[noreturn]] void End(int exitCode = 0);

    // --- the program's forms ---
    const std::vector<Form*>& forms() const { return m_forms; }
    // The most recently loaded form of that name, or null.
    Form* findForm(std::string_view name) const;
    // The innermost modal form still shown, or null.
    Form* activeModal() const;
    bool ended() const { return m_ended; }
    int exitCode() const { return m_exitCode; }

    // Runs a user's action from the top of the call stack: a run-time error that no handler caught leaves
    // the handler, is logged, and the program goes on; End passes through. Any other exception is a fault of
    // the program's own code: what happens to it is the fault policy's choice.
    void userAction(const std::string& what, const std::function<void()>& action);

    // What userAction does with a fault. Rethrow (the default, for tests): the exception leaves userAction,
    // so the test that raised it fails. LogAndGoOn (set by the launcher for the programs): the fault is
    // logged as an internal error with the exception's type, and the program goes on.
    enum class FaultPolicy { Rethrow, LogAndGoOn };
    void setFaultPolicy(FaultPolicy policy) { m_faultPolicy = policy; }
    FaultPolicy faultPolicy() const { return m_faultPolicy; }
    // Logs a fault as an internal error (errors(), the trace, and standard error).
    void logInternalError(const std::string& where, const std::exception& fault);
    // Handlers in continue-on-error mode report skipped statements here.
    vb::ErrorLog errorLog();
    void logError(const std::string& where, int number, const std::string& description);
    const std::vector<std::string>& errors() const { return m_errors; }

    // Runs the program's main loop after its start-up form is shown; returns the exit code.
    int run();

    // Called by forms.
    void formLoaded(Form& form);
    void formUnloaded(Form& form);
    void modalStarted(Form& form);
    void modalEnded(Form& form);

private:
    Services m_services;
    std::unique_ptr<UiDriver> m_driver;
    Trace m_trace;
    std::vector<Form*> m_forms;
    std::vector<Form*> m_modalStack;
    std::vector<std::string> m_errors;
    bool m_ended = false;
    int m_exitCode = 0;
    FaultPolicy m_faultPolicy = FaultPolicy::Rethrow;
};

} // namespace glw::forms
