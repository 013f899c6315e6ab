// A headless runtime and the folders of a stub run in one temporary folder: the program's folder "app",
// the user's temporary folder "tmp" and the installer's default target "windows".
#pragma once

#include "StubTestSupport.h"
#include "forms/HeadlessDriver.h"
#include "platform/FileRegistry.h"
#include "platform/Registry.h"
#include "platform/ServicesMemory.h"
#include "platform/TempDir.h"
#include "stubs/StubCore.h"

#include <memory>

namespace glw::stubs::test {

class StubFixture : public ::testing::Test {
protected:
    platform::test::TempDir dir;
    std::shared_ptr<platform::RecordingShell> shell = std::make_shared<platform::RecordingShell>();
    std::shared_ptr<platform::MemoryRegistry> registry = std::make_shared<platform::MemoryRegistry>();
    std::unique_ptr<forms::Runtime> rt = makeRuntime();
    StubEnvironment env;

    void SetUp() override {
        dir.folder("app");
        dir.folder("tmp");
        dir.folder("windows");
        env.tempFolder = dir.system("tmp");
        env.windowsFolder = dir.system("windows");
    }

    std::unique_ptr<forms::Runtime> makeRuntime() {
        forms::Services services;
        services.shell = shell;
        services.registry = registry;
        auto runtime = std::make_unique<forms::Runtime>(services);
        runtime->trace().keepInMemory(true);
        runtime->App.Path = dir.system("app");
        runtime->App.EXEName = "movie";
        return runtime;
    }

    // A stand-in for a stub program: bytes that hold no marker.
    std::string stubFile() {
        const std::string path = dir.host("stub.bin");
        if (!std::filesystem::exists(path)) {
            writeBytes(path, std::string("\x7F"
                                         "ELF stand-in stub, a partial %VESKOx marker ") +
                                 std::string(3000, 'S'));
        }
        return path;
    }

    // app/<name>: the stand-in stub joined to a package of `entries` made with the package writer; it
    // becomes the own file of the next stub.
    std::string joined(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries) {
        const std::string package = dir.host("stage-" + name + ".dta");
        std::filesystem::remove(package);
        writePackage(package, dir.host("stage-" + name), entries);
        const std::string output = dir.host("app/" + name);
        joinFile(stubFile(), package, output);
        env.ownFile = output;
        return output;
    }

    // app/<name>: the stand-in stub, the marker and these package bytes as they stand.
    std::string joinedBytes(const std::string& name, const std::string& packageBytes) {
        const auto marker = jpk::JpkMarker();
        const std::string output = dir.host("app/" + name);
        writeBytes(output, readBytes(stubFile()) + std::string(marker.begin(), marker.end()) + packageBytes);
        env.ownFile = output;
        return output;
    }

    std::string tempSwf() const { return dir.host("tmp/TempSWF"); }
    const std::vector<std::string>& trace() const { return rt->trace().lines(); }
    forms::HeadlessDriver& ui() { return forms::headless(*rt); }

    // Runs one script line; the exit code when the program ended in it.
    std::optional<int> perform(const std::string& line) {
        return endsWith([&] {
            auto done = ui().perform(line);
            ASSERT_TRUE(done.ok()) << done.error().detail;
        });
    }
};

// A movie player's package as the export makes it: the movie, then the startup list.
inline std::vector<std::pair<std::string, std::string>> playerEntries(const std::vector<std::string>& startup) {
    return {{"glwmovie.swf", fixtureMovie()}, {"startup.ini", startupList(startup)}};
}

} // namespace glw::stubs::test
