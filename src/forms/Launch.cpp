// Program start-up: driver choice, script, trace, App and the main loop.
#include "Launch.h"

#include "HeadlessDriver.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace glw::forms {

namespace {

// The termination signals reach the program through this pipe: the handler only writes the signal's number,
// and the driver's loop reads it where a user's action may run.
int g_signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t g_signalPending = 0;

extern "C" void onTerminationSignal(int signalNumber) {
    if (g_signalPending != 0) {
        // The first one was not handled yet: the program does not answer, so the signal takes its course.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    g_signalPending = signalNumber;
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (::write(g_signalPipe[1], &byte, 1) < 0) {
        // Nothing can be done about it inside a signal handler.
    }
    errno = saved;
}

// Unloads every form, the last loaded first, and ends the program.
void endAsTheProgramDoes(Runtime& runtime) {
    unsigned char byte = 0;
    while (::read(g_signalPipe[0], &byte, 1) == 1) {
    }
    if (runtime.trace().enabled()) {
        runtime.trace().write("signal " + std::to_string(static_cast<int>(g_signalPending)));
    }
    const std::vector<Form*> forms(runtime.forms().rbegin(), runtime.forms().rend());
    for (Form* form : forms) {
        const auto& loaded = runtime.forms();
        if (std::find(loaded.begin(), loaded.end(), form) != loaded.end()) {
            form->Unload(vbAppWindows);
        }
    }
    runtime.End(runtime.ended() ? runtime.exitCode() : 0);
}

void watchTerminationSignals(Runtime& runtime) {
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    runtime.ui().watchReadable(g_signalPipe[0], [&runtime] { endAsTheProgramDoes(runtime); });
}

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string ownExecutablePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

int runProgram(int argc, char** argv, const LaunchOptions& options, const ProgramStart& start) {
    const std::filesystem::path exe = ownExecutablePath();
    bool windows = false;
    if (env("GLW_UI") != "headless" && options.openDesktop) {
        windows = options.openDesktop(argc, argv) && options.desktopDriver;
        if (!windows) {
            std::fprintf(stderr, "%s: no display found (DISPLAY is not set): running without windows\n",
                         exe.stem().string().c_str());
        }
    }

    Runtime runtime(options.services ? options.services(windows) : Services{});
    runtime.App.Path = platform::toSystemPath(exe.parent_path().string());
    runtime.App.EXEName = exe.stem().string();
    runtime.App.Title = runtime.App.EXEName;
    std::string command;
    for (int i = 1; i < argc; ++i) {
        command += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    runtime.Command = command;

    const std::string tracePath = env("GLW_TRACE");
    if (!tracePath.empty() && !runtime.trace().openFile(tracePath)) {
        std::fprintf(stderr, "%s: cannot write the trace file %s\n", runtime.App.EXEName.c_str(), tracePath.c_str());
    }

    if (windows) {
        runtime.setDriver(options.desktopDriver(runtime));
    }
    auto& ui = runtime.ui();
    if (options.endOnSignals) {
        watchTerminationSignals(runtime);
    }
    if (auto* driver = dynamic_cast<HeadlessDriver*>(&ui)) {
        const std::string scriptPath = env("GLW_SCRIPT");
        if (!scriptPath.empty()) {
            std::ifstream in(scriptPath, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "%s: cannot read the script %s\n", runtime.App.EXEName.c_str(),
                             scriptPath.c_str());
                return 2;
            }
            std::ostringstream text;
            text << in.rdbuf();
            if (auto queued = driver->queueScript(text.str()); !queued) {
                std::fprintf(stderr, "%s: %s: %s\n", runtime.App.EXEName.c_str(), scriptPath.c_str(),
                             queued.error().detail.c_str());
                return 2;
            }
        }
    }

    if (runtime.trace().enabled()) {
        runtime.trace().write("start " + runtime.App.EXEName + " " + Trace::quote(runtime.App.Path) +
                              (command.empty() ? "" : " " + Trace::quote(command)));
    }
    // A fault of the program's own code is logged with its type, and the program goes on.
    runtime.setFaultPolicy(Runtime::FaultPolicy::LogAndGoOn);
    std::shared_ptr<void> program;
    try {
        runtime.userAction("start-up", [&] { program = start(runtime); });
    } catch (const vb::EndProgram& end) {
        return end.exitCode;
    }
    const int code = runtime.ended() ? runtime.exitCode() : runtime.run();
    program.reset(); // the program's forms go before the runtime they belong to
    return code;
}

} // namespace glw::forms
