// Starting the clipboard holder program and talking to it through pipes.
#include "HolderClipboard.h"

#include "base/FileIo.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace glw::platform {

namespace {

// The holder answers within this time or is given up: it only has to reach the display, and a clipboard
// owner that never answers makes Qt give up after about five seconds.
constexpr int kHolderTimeoutMs = 8000;

// Writes everything, with SIGPIPE held back for this thread: a holder that died reads as a failed write
// (EPIPE), not as the end of this program.
bool writeAll(int fd, const std::string& data) {
    sigset_t pipeSignal, old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    bool ok = true;
    bool brokenPipe = false;
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            brokenPipe = errno == EPIPE;
            break;
        }
        done += size_t(n);
    }
    if (brokenPipe) {
        // Take the pending SIGPIPE before unblocking, or it would be delivered now.
        const timespec zero{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

// Reads until the end of the pipe or the deadline; false at the deadline.
bool readUntilEnd(int fd, std::string& out, std::chrono::steady_clock::time_point deadline) {
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return true;
        }
        out.append(buffer, size_t(n));
    }
}

// A holder run: its standard input gets `input`, its standard output is returned.
struct HolderRun {
    bool finished = false; // it ended (or, detached, closed its output) before the deadline
    int exitCode = -1;     // only for a run that is waited for
    std::string output;
};

// Starts the holder with `mode` ("" to hold the text of its input). A detached holder is a grandchild that
// init adopts, in a session of its own, so it outlives this process and is never left as its zombie; it is
// read only up to its first answer. Other modes are waited for, and killed at the deadline.
HolderRun runHolder(const std::string& holderPath, const char* mode, const std::string& input, bool detached) {
    HolderRun run;
    // Everything the children need is prepared before fork(): after it, in a process with threads, only
    // async-signal-safe calls are allowed until exec.
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0) {
            envStrings.emplace_back(*e);
        }
    }
    envStrings.emplace_back("QT_QPA_PLATFORM=xcb");
    std::vector<char*> envp;
    for (auto& s : envStrings) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);
    std::string program = holderPath;
    std::string modeArg = mode;
    std::vector<char*> argv{program.data()};
    if (!modeArg.empty()) {
        argv.push_back(modeArg.data());
    }
    argv.push_back(nullptr);

    auto toHolder = base::openPipe();
    auto fromHolder = base::openPipe();
    if (!toHolder || !fromHolder) {
        return run;
    }
    const base::UniqueFd devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    const pid_t child = ::fork();
    if (child == 0) {
        // The descriptor guards' copies in this process are never destroyed: exec or _exit ends it.
        if (detached) {
            ::setsid();
            const pid_t holder = ::fork();
            if (holder != 0) {
                ::_exit(holder < 0 ? 1 : 0);
            }
        }
        ::dup2(toHolder->readEnd.get(), 0);
        ::dup2(fromHolder->writeEnd.get(), 1);
        if (devNull.valid()) {
            ::dup2(devNull.get(), 2); // nobody reads the holder's complaints
        }
        ::syscall(SYS_close_range, 3u, ~0u, 0u);
        if (::chdir("/") != 0) {
            // The holder needs no folder; staying in the caller's one is harmless.
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    // Only the holder keeps these ends, so that each pipe ends when the other side closes its own.
    toHolder->readEnd = {};
    fromHolder->writeEnd = {};
    if (child < 0) {
        return run;
    }
    int status = 0;
    if (detached) {
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    const bool written = writeAll(toHolder->writeEnd.get(), input);
    toHolder->writeEnd = {}; // the holder's input ends here
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHolderTimeoutMs);
    run.finished = written && readUntilEnd(fromHolder->readEnd.get(), run.output, deadline);
    if (!detached) {
        if (!run.finished) {
            ::kill(child, SIGKILL);
        }
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

} // namespace

bool holdClipboardText(const std::string& holderPath, const std::string& text) {
    if (holderPath.empty() || ::access(holderPath.c_str(), X_OK) != 0) {
        return false;
    }
    // The holder closes its output after its answer, so the read ends there and not when it ends.
    const HolderRun run = runHolder(holderPath, "", text, true);
    return run.finished && run.output == "1";
}

std::optional<std::string> readClipboardText(const std::string& holderPath) {
    const HolderRun run = runHolder(holderPath, "--read", "", false);
    if (!run.finished || run.exitCode != 0) {
        return std::nullopt;
    }
    return run.output;
}

bool clearClipboardText(const std::string& holderPath) {
    const HolderRun run = runHolder(holderPath, "--clear", "", false);
    return run.finished && run.exitCode == 0;
}

HolderClipboard::HolderClipboard(std::string holderPath, ServiceLog log)
    : m_holderPath(std::move(holderPath)), m_log(std::move(log)) {}

bool HolderClipboard::usable(const std::string& holderPath) {
    const char* display = std::getenv("DISPLAY");
    struct stat st {};
    return display && *display && !holderPath.empty() && ::stat(holderPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(holderPath.c_str(), X_OK) == 0;
}

std::string HolderClipboard::getText() {
    auto text = readClipboardText(m_holderPath);
    if (!text) {
        logLine(m_log, "the clipboard could not be read through " + m_holderPath);
        return {};
    }
    return *text;
}

void HolderClipboard::setText(const std::string& text) {
    if (!holdClipboardText(m_holderPath, text)) {
        logLine(m_log, "the clipboard could not be set through " + m_holderPath);
    }
}

void HolderClipboard::clear() {
    if (!clearClipboardText(m_holderPath)) {
        logLine(m_log, "the clipboard could not be cleared through " + m_holderPath);
    }
}

} // namespace glw::platform
