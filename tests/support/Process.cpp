// Child processes for end-to-end tests.
#include "Process.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace glw::test {

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, int timeoutSeconds) {
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq) {
            merged[std::string(*e, size_t(eq - *e))] = eq + 1;
        }
    }
    for (const auto& [k, v] : env) {
        if (v.empty()) {
            merged.erase(k);
        } else {
            merged[k] = v;
        }
    }
    std::vector<std::string> envStrings;
    for (const auto& [k, v] : merged) {
        envStrings.push_back(k + "=" + v);
    }
    std::vector<char*> envp;
    for (auto& s : envStrings) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argStrings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    ProcessResult result;
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        result.output = "spawn failed: " + std::string(std::strerror(spawned));
        return result;
    }
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    char buffer[4096];
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, 200);
        if (ready > 0) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            result.output.append(buffer, size_t(n));
        }
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec - start.tv_sec > timeoutSeconds) {
            ::kill(pid, SIGKILL);
            break;
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

std::vector<std::string> readLines(const std::string& hostPath) {
    std::vector<std::string> lines;
    std::ifstream in(hostPath);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace glw::test
