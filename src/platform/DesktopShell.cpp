// The shell on Linux: the opener for documents and addresses, detached spawns for our own programs.
#include "DesktopShell.h"

#include "WinPath.h"
#include "base/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace glw::platform {

namespace {

// spawning

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return isExecutableFile(name) ? std::optional<std::string>(name) : std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string_view dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        std::size_t colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (isExecutableFile(candidate)) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        dirs.remove_prefix(colon + 1);
    }
}

// The first line that the program writes to its standard output ("" when it fails or writes nothing). Its
// standard input and error are /dev/null; the arguments are never read by a shell.
std::string firstLineOf(const std::string& program, const std::vector<std::string>& args) {
    auto output = base::openPipe();
    if (!output) {
        return {};
    }
    // Everything the child needs is made before the fork: only async-signal-safe calls follow it.
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Closed on exec, once it stands as the program's input and error.
        const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        ::dup2(devNull, 0);
        ::dup2(output->writeEnd.get(), 1);
        ::dup2(devNull, 2);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    output->writeEnd = {}; // the read below ends when the program's copy closes
    std::string out;
    char buffer[512];
    ssize_t n = 0;
    while (pid > 0 && (n = ::read(output->readEnd.get(), buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno != EINTR) {
            break;
        }
        if (n > 0 && out.size() < 4096) {
            out.append(buffer, std::size_t(n));
        }
    }
    output->readEnd = {};
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {};
    }
    out = out.substr(0, out.find('\n'));
    return out;
}

// A file that the system can run as a program of ours: executable, and an ELF image or a script.
bool isProgramFile(const std::string& path) {
    if (!isExecutableFile(path)) {
        return false;
    }
    const base::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return false;
    }
    char head[4] = {};
    const ssize_t got = ::read(file.get(), head, sizeof head);
    return (got == 4 && std::memcmp(head,
                                    "\x7F"
                                    "ELF",
                                    4) == 0) ||
           (got >= 2 && head[0] == '#' && head[1] == '!');
}

bool isAddress(const std::string& target) {
    std::size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2) {
        return false; // "C:\..." is a path, not a scheme
    }
    auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isAlpha(target[0])) {
        return false;
    }
    for (std::size_t i = 1; i < colon; ++i) {
        char c = target[i];
        if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

// Starts `program` with `args` (argv[0] first) detached from this process. 0 when it started, else the
// errno of the failed start.
int spawnDetached(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);

    auto report = base::openPipe();
    if (!report) {
        return report.error().osError;
    }
    pid_t middle = ::fork();
    if (middle < 0) {
        return errno;
    }
    if (middle == 0) {
        // Only async-signal-safe calls from here on: the parent may have other threads. So the child closes
        // with raw close(): the descriptor guards' copies here are never destroyed (exec or _exit ends it).
        ::close(report->readEnd.get());
        ::setsid();
        pid_t child = ::fork();
        if (child != 0) {
            ::_exit(child < 0 ? 1 : 0);
        }
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig = 1; sig < NSIG; ++sig) {
            ::signal(sig, SIG_DFL);
        }
        int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0 && devNull != 0) {
            ::dup2(devNull, 0);
            ::close(devNull);
        }
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); // nothing of ours leaks into the child
        ::execv(program.c_str(), argv.data());
        int error = errno;
        ssize_t ignored = ::write(report->writeEnd.get(), &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }
    report->writeEnd = {}; // the read below ends when the program starts (exec closes the child's copy)
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(report->readEnd.get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got == sizeof error) {
        return error;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return EAGAIN; // the middle process could not fork
    }
    return 0;
}

} // namespace

// DesktopShell

DesktopShell::DesktopShell(std::string opener, ServiceLog log, std::string handlers)
    : m_opener(std::move(opener)), m_log(std::move(log)), m_handlers(std::move(handlers)) {}

bool DesktopShell::hasProgramFor(const std::string& hostPath) const {
    if (m_handlers.empty()) {
        return true;
    }
    std::optional<std::string> query = findProgram(m_handlers);
    if (!query) {
        return true; // nothing to ask: leave it to the opener
    }
    const std::string type = firstLineOf(*query, {*query, "query", "filetype", hostPath});
    return !type.empty() && !firstLineOf(*query, {*query, "query", "default", type}).empty();
}

long DesktopShell::open(const std::string& target) {
    constexpr long kStarted = 42, kFileNotFound = 2, kAccessDenied = 5, kNoAssociation = 31;
    auto viaOpener = [&](const std::string& what) -> long {
        std::optional<std::string> opener = findProgram(m_opener);
        if (!opener) {
            logLine(m_log, "shell: no opener " + m_opener + " for " + target);
            return kNoAssociation;
        }
        int error = spawnDetached(*opener, {*opener, what});
        if (error != 0) {
            logLine(m_log, "shell: cannot start " + *opener + ": " + std::strerror(error));
            return kNoAssociation;
        }
        return kStarted;
    };

    if (target.empty()) {
        return kFileNotFound;
    }
    if (isAddress(target)) {
        return viaOpener(target);
    }
    std::string host = toHostPath(target);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) {
        return kFileNotFound;
    }
    if (S_ISREG(st.st_mode) && isProgramFile(host)) {
        int error = spawnDetached(host, {host});
        if (error == 0) {
            return kStarted;
        }
        logLine(m_log, "shell: cannot start " + host + ": " + std::strerror(error));
        return (error == EACCES || error == EPERM) ? kAccessDenied : kFileNotFound;
    }
    if (S_ISREG(st.st_mode) && !hasProgramFor(host)) {
        logLine(m_log, "shell: no program for " + host);
        return kNoAssociation;
    }
    return viaOpener(host);
}

} // namespace glw::platform
