// Registering a component after an update is unpacked: an argument list handed to a registration
// service, never a command line for a shell.
#pragma once

#include "base/Result.h"

#include <string>
#include <vector>

namespace glw::updater {

class ComponentRegistration {
public:
    virtual ~ComponentRegistration() = default;
    // Registers the component that the first argument names (a system path); the arguments after it are
    // switches ("/s": silent). NotFound when the component file is missing, Invalid without a component,
    // Io when the record cannot be written.
    virtual Result<void> registerComponent(const std::vector<std::string>& arguments) = 0;
};

// The real registration on this system: the component's system path is recorded, once, as a line of
// `components.lst` in a per-user folder ($XDG_CONFIG_HOME/glw, as the settings store's), which is replaced
// whole through a temporary file.
class FileComponentRegistry : public ComponentRegistration {
public:
    explicit FileComponentRegistry(std::string folder = defaultFolder());
    static std::string defaultFolder();
    Result<void> registerComponent(const std::vector<std::string>& arguments) override;
    // The recorded components, in the order they were first registered.
    std::vector<std::string> registered() const;
    std::string filePath() const { return m_folder + "/components.lst"; }

private:
    std::string m_folder;
};

// For tests: records every call and answers with a set result.
class RecordingComponentRegistration : public ComponentRegistration {
public:
    Result<void> registerComponent(const std::vector<std::string>& arguments) override {
        m_calls.push_back(arguments);
        return Result<void>();
    }
    const std::vector<std::vector<std::string>>& calls() const { return m_calls; }

private:
    std::vector<std::vector<std::string>> m_calls;
};

} // namespace glw::updater
