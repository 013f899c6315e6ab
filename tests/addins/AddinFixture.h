// The add-in tests' fixture: a temporary root holding an application folder with a copy of the real add-in
// library and a stand-in main program that records its starts, the per-user settings folder, the file
// clipboard and a current folder that must stay empty. The add-in is loaded from the copy by the fake host,
// so it finds its own folder, its settings and its clipboard exactly as it would in a host.
#pragma once

#include "FakeHost.h"
#include "platform/ServicesReal.h"
#include "platform/TempDir.h"
#include "platform/WinPath.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace glw::addins::test {

namespace fs = std::filesystem;
using platform::test::TempDir;

inline const char* kPageLibrary = "glwseclips.so";
inline const char* kPresentationLibrary = "glwseclipspp.so";

class AddinRoot {
public:
    explicit AddinRoot(const std::string& library) : cwd((fs::create_directories(root.host("cwd")), root.host("cwd"))) {
        root.folder("app/Working");
        root.folder("config");
        fs::copy_file(std::string(GLW_APP_DIR) + "/" + library, root.host("app/" + library));
        // The stand-in main program: one line per start in starts.log.
        root.file("app/glwclipart", "#!/bin/sh\necho started >> '" + root.host("starts.log") + "'\n");
        fs::permissions(root.host("app/glwclipart"), fs::perms::owner_all);
        ::setenv("XDG_CONFIG_HOME", root.host("config").c_str(), 1);
        ::setenv("GLW_CLIPBOARD", root.host("clipboard.txt").c_str(), 1);
        clipboard = std::make_unique<platform::FileClipboard>(root.host("clipboard.txt"));
        settings = std::make_unique<platform::IniSettingsStore>(root.host("config/glw"));
        libraryPath = root.host("app/" + library);
    }

    // The number of starts of the main program, waited for until `expected` or a few seconds passed.
    int starts(int expected) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int count = 0;
        do {
            count = lineCount(root.read("starts.log"));
            if (count >= expected) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        // A second start would come as quickly as the first: give it a moment to show.
        std::this_thread::sleep_for(std::chrono::milliseconds(expected > 0 ? 200 : 300));
        return lineCount(root.read("starts.log"));
    }

    // Takes the stand-in main program away, for tests that click the request but do not count its starts: no
    // child process then writes into the root while it is being removed.
    void withoutMainProgram() const { fs::remove(root.host("app/glwclipart")); }

    // A file of the Working folder, as the main program leaves it for a hand-back.
    std::string workingFile(const std::string& name, const std::string& bytes = "FWS-clip") const {
        root.file("app/Working/" + name, bytes);
        return root.system("app\\Working\\" + name);
    }

    std::string setting(const std::string& key) {
        return settings->getSetting("Vorel Media Glintwave", "System", key, "<none>");
    }

    // Every file under the root, relative to it (what a scenario wrote and where).
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(root.host())) {
            if (entry.is_regular_file()) {
                names.push_back(fs::relative(entry.path(), root.host()).string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir root;
    platform::test::CurrentFolder cwd;
    std::unique_ptr<platform::FileClipboard> clipboard;
    std::unique_ptr<platform::IniSettingsStore> settings;
    std::string libraryPath;

private:
    static int lineCount(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }
};

// A reply as the main program's hand-back writes it.
inline std::string reply(const std::string& tag, const std::string& files) {
    return std::string("(GLWFPRetClip)[Exit]<GLWCODE>") + tag + "</GLWCODE><GLWFILES>" + files + "</GLWFILES>";
}

} // namespace glw::addins::test
