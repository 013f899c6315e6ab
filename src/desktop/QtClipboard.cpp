// The clipboard through Qt with its hand-over to the holder program, and the desktop's font list.
#include "QtClipboard.h"

#include "base/Ascii.h"
#include "forms/Launch.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glw::qt {

namespace {

constexpr int kHandshakeTimeoutMs = 5000;

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

} // namespace

QtClipboard::QtClipboard(std::string holderPath) : m_holderPath(std::move(holderPath)) {}

std::string QtClipboard::defaultHolderPath() {
    const std::filesystem::path exe = forms::ownExecutablePath();
    return exe.empty() ? std::string() : (exe.parent_path() / "glwclipholder").string();
}

std::string QtClipboard::getText() {
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard).toStdString();
}

void QtClipboard::setText(const std::string& text) {
    if (handToHolder(text)) {
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
}

void QtClipboard::clear() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Qt clears only a clipboard it owns: own it first (with no text), then give it up, which also makes a
    // holder that owned it end.
    clipboard->setText(QString(), QClipboard::Clipboard);
    clipboard->clear(QClipboard::Clipboard);
}

bool QtClipboard::handToHolder(const std::string& text) {
    if (m_holderPath.empty() || QGuiApplication::platformName() != QLatin1String("xcb") ||
        ::access(m_holderPath.c_str(), X_OK) != 0) {
        return false;
    }

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
    std::string program = m_holderPath;
    char* argv[] = {program.data(), nullptr};

    int toHolder[2], fromHolder[2];
    if (::pipe2(toHolder, O_CLOEXEC) != 0) {
        return false;
    }
    if (::pipe2(fromHolder, O_CLOEXEC) != 0) {
        ::close(toHolder[0]);
        ::close(toHolder[1]);
        return false;
    }
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
        // The intermediate child: a new session, then the holder as a grandchild that init adopts, so it
        // outlives this program and is never left as a zombie of it.
        ::setsid();
        const pid_t holder = ::fork();
        if (holder != 0) {
            ::_exit(holder < 0 ? 1 : 0);
        }
        ::dup2(toHolder[0], 0);
        ::dup2(fromHolder[1], 1);
        if (devNull >= 0) {
            ::dup2(devNull, 2); // nobody waits on our output pipes because of the holder
        }
        ::syscall(SYS_close_range, 3u, ~0u, 0u);
        if (::chdir("/") != 0) {
            // The holder needs no folder; staying in the program's one is harmless.
        }
        ::execve(argv[0], argv, envp.data());
        ::_exit(127);
    }
    ::close(toHolder[0]);
    ::close(fromHolder[1]);
    if (devNull >= 0) {
        ::close(devNull);
    }
    if (child < 0) {
        ::close(toHolder[1]);
        ::close(fromHolder[0]);
        return false;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    const bool written = writeAll(toHolder[1], text);
    ::close(toHolder[1]);
    bool owned = false;
    if (written) {
        pollfd fd{fromHolder[0], POLLIN, 0};
        int ready;
        while ((ready = ::poll(&fd, 1, kHandshakeTimeoutMs)) < 0 && errno == EINTR) {
        }
        char answer = 0;
        owned = ready == 1 && ::read(fromHolder[0], &answer, 1) == 1 && answer == '1';
    }
    ::close(fromHolder[0]);
    return owned;
}

std::vector<std::string> plainFamilyNames(const std::vector<std::string>& qtFamilies) {
    std::vector<std::string> names;
    for (std::string name : qtFamilies) {
        if (const auto open = name.rfind(" ["); open != std::string::npos && open > 0 && name.back() == ']') {
            name.erase(open);
        }
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    const auto before = [](const std::string& a, const std::string& b) {
        const int order = base::icompare(a, b);
        return order != 0 ? order < 0 : a < b;
    };
    std::sort(names.begin(), names.end(), before);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> QtFontList::names() {
    std::vector<std::string> families;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family)) {
            families.push_back(family.toStdString());
        }
    }
    return plainFamilyNames(families);
}

} // namespace glw::qt
