// Program start-up: driver choice, script, trace, App and the main loop.
#include "Launch.h"

#include "HeadlessDriver.h"
#include "platform/WinPath.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace glw::forms {

namespace {

// Clipboard text kept in a file, for headless runs of several processes (GLW_CLIPBOARD).
class FileClipboard : public platform::Clipboard {
public:
    explicit FileClipboard(std::string path) : m_path(std::move(path)) {}
    std::string getText() override {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void setText(const std::string& text) override {
        const std::string temp = m_path + ".tmp";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out << text;
        }
        std::rename(temp.c_str(), m_path.c_str());
    }
    void clear() override { setText(""); }

private:
    std::string m_path;
};

class ProcessClipboard : public platform::Clipboard {
public:
    std::string getText() override { return m_text; }
    void setText(const std::string& text) override { m_text = text; }
    void clear() override { m_text.clear(); }

private:
    std::string m_text;
};

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
    Services services = options.services ? options.services() : Services{};
    const std::string clipboardFile = env("GLW_CLIPBOARD");
    if (!clipboardFile.empty()) {
        services.clipboard = std::make_shared<FileClipboard>(clipboardFile);
    }
    const bool headlessWanted = env("GLW_UI") == "headless";
    if (headlessWanted && clipboardFile.empty()) {
        services.clipboard = std::make_shared<ProcessClipboard>();
    }

    Runtime runtime(std::move(services));
    const std::filesystem::path exe = ownExecutablePath();
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

    if (!headlessWanted && options.desktop) {
        if (auto desktop = options.desktop(runtime, argc, argv)) {
            runtime.setDriver(std::move(desktop));
        } else {
            std::fprintf(stderr, "%s: no display found (DISPLAY is not set): running without windows\n",
                         runtime.App.EXEName.c_str());
        }
    }
    auto& ui = runtime.ui();
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
