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

namespace {

// The environment of a child: ours, with `env` laid over it (a value of "" removes the variable).
std::vector<std::string> childEnvironment(const std::map<std::string, std::string>& env) {
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
    return envStrings;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) {
        result.push_back(s.data());
    }
    result.push_back(nullptr);
    return result;
}

ProcessResult resultOf(int status) {
    ProcessResult result;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

} // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, int timeoutSeconds) {
    std::vector<std::string> envStrings = childEnvironment(env);
    std::vector<char*> envp = pointers(envStrings);
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv = pointers(argStrings);

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
    ProcessResult ended = resultOf(status);
    ended.output = std::move(result.output);
    return ended;
}

BackgroundProcess::BackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                                     const std::map<std::string, std::string>& env, const std::string& outputPath) {
    std::vector<std::string> envStrings = childEnvironment(env);
    std::vector<char*> envp = pointers(envStrings);
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv = pointers(argStrings);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = outputPath.empty() ? std::string("/dev/null") : outputPath;
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

BackgroundProcess::~BackgroundProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool BackgroundProcess::running() {
    if (m_pid <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_result = resultOf(status);
        m_pid = -1;
        return false;
    }
    return true;
}

void BackgroundProcess::signal(int signalNumber) {
    if (m_pid > 0) {
        ::kill(m_pid, signalNumber);
    }
}

ProcessResult BackgroundProcess::wait(int timeoutSeconds) {
    for (int waited = 0; running() && waited < timeoutSeconds * 20; ++waited) {
        ::usleep(50'000);
    }
    if (running()) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_result = resultOf(status);
        m_pid = -1;
    }
    return m_result;
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
