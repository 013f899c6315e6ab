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

// The lines of a text file ("" lines included), empty when it is missing.
std::vector<std::string> readLines(const std::string& hostPath);

} // namespace glw::test
