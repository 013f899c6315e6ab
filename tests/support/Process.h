// Runs a program of the system as a child process with extra environment variables, for end-to-end tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace glw::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    int signal = 0;     // the signal that ended it, if any
    std::string output; // standard output and standard error together
};

// Runs `program` with `args`, the current environment plus `env` (a value of "" removes the variable), and
// waits for it at most `timeoutSeconds` (then kills it and reports signal 9).
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, int timeoutSeconds = 60);

// A child process that runs while the test goes on, killed when the object goes.
class BackgroundProcess {
public:
    // Starts `program` with `args` and the environment as runProcess does; its standard output and error go
    // to `outputPath` ("" discards them).
    BackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env, const std::string& outputPath = {});
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool started() const { return m_pid > 0 || m_result.exitCode >= 0 || m_result.signal != 0; }
    bool running();
    void signal(int signalNumber);
    // Waits at most `timeoutSeconds` for the end (then kills it and reports signal 9). The output is not kept.
    ProcessResult wait(int timeoutSeconds = 30);

private:
    int m_pid = -1;
    ProcessResult m_result;
};

// The lines of a text file ("" lines included), empty when it is missing.
std::vector<std::string> readLines(const std::string& hostPath);

} // namespace glw::test
