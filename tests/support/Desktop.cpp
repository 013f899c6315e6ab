// Xvfb and the X tools for the desktop tests.
#include "Desktop.h"

#include "Process.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glw::test {

namespace {

bool onPath(const std::string& program) {
    return runProcess("/bin/sh", {"-c", "command -v " + program + " >/dev/null"}, {}, 10).exitCode == 0;
}

} // namespace

std::string missingDesktopTool() {
    for (const char* tool : {"Xvfb", "xdotool", "import", "convert"}) {
        if (!onPath(tool)) {
            return tool;
        }
    }
    return {};
}

Image::Pixel Image::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return {-1000, -1000, -1000};
    }
    const std::size_t i = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Image::near(int x, int y, Pixel colour, int tolerance) const {
    const Pixel p = at(x, y);
    return std::abs(p.r - colour.r) <= tolerance && std::abs(p.g - colour.g) <= tolerance &&
           std::abs(p.b - colour.b) <= tolerance;
}

double Image::share(int left, int top, int w, int h, Pixel colour, int tolerance) const {
    long hits = 0;
    long all = 0;
    for (int y = top; y < top + h; ++y) {
        for (int x = left; x < left + w; ++x) {
            ++all;
            hits += near(x, y, colour, tolerance) ? 1 : 0;
        }
    }
    return all == 0 ? 0.0 : double(hits) / double(all);
}

std::optional<Image> readImage(const std::string& path) {
    const std::string ppm = path + ".ppm";
    if (runProcess("/bin/sh", {"-c", "convert \"$0\" -depth 8 ppm:\"$1\"", path, ppm}, {}, 30).exitCode != 0) {
        return std::nullopt;
    }
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Image image;
    in >> magic >> image.width >> image.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0) {
        return std::nullopt;
    }
    image.rgb.resize(std::size_t(image.width) * std::size_t(image.height) * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
    std::remove(ppm.c_str());
    if (!in) {
        return std::nullopt;
    }
    return image;
}

XServer::XServer(int width, int height) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::vector<std::string> args = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", screen};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const bool spawned = ::posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned) {
        std::string number;
        pollfd fd{fds[0], POLLIN, 0};
        char c;
        while (::poll(&fd, 1, 10000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        if (!number.empty()) {
            m_display = ":" + number;
        }
    } else {
        m_pid = -1;
    }
    ::close(fds[0]);
}

bool XServer::startWindowManager() {
    if (m_display.empty() || !onPath("openbox")) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> environment = {"DISPLAY=" + m_display};
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("DISPLAY=", 0) != 0) {
            environment.emplace_back(*e);
        }
    }
    std::vector<char*> envp;
    for (auto& e : environment) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string program = "openbox";
    char* argv[] = {program.data(), nullptr};
    const bool spawned = ::posix_spawnp(&m_windowManager, "openbox", &actions, nullptr, argv, envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!spawned) {
        m_windowManager = -1;
        return false;
    }
    // The manager is there once it has taken the screen's selection of window managers.
    for (int i = 0; i < 50; ++i) {
        if (runProcess("/usr/bin/env", {"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, {{"DISPLAY", m_display}}, 10)
                .output.find("window id") != std::string::npos) {
            return true;
        }
        ::usleep(100'000);
    }
    return true;
}

XServer::~XServer() {
    if (m_windowManager > 0) {
        ::kill(m_windowManager, SIGTERM);
        ::waitpid(m_windowManager, nullptr, 0);
    }
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

std::string XServer::xdotool(const std::vector<std::string>& args) const {
    return runProcess(
               "/usr/bin/env",
               [&] {
                   std::vector<std::string> all = {"xdotool"};
                   all.insert(all.end(), args.begin(), args.end());
                   return all;
               }(),
               {{"DISPLAY", m_display}}, 20)
        .output;
}

std::string XServer::waitForWindow(const std::string& title, int timeoutSeconds) const {
    for (int i = 0; i < timeoutSeconds * 5; ++i) {
        std::istringstream found(xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}));
        std::string id;
        if (found >> id && id.find_first_not_of("0123456789") == std::string::npos) {
            return id;
        }
        ::usleep(200'000);
    }
    return {};
}

std::optional<WindowGeometry> XServer::geometry(const std::string& window) const {
    std::istringstream lines(xdotool({"getwindowgeometry", "--shell", window}));
    WindowGeometry g;
    int seen = 0;
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") {
            g.x = value;
        } else if (key == "Y") {
            g.y = value;
        } else if (key == "WIDTH") {
            g.width = value;
        } else if (key == "HEIGHT") {
            g.height = value;
        } else {
            continue;
        }
        ++seen;
    }
    return seen == 4 ? std::optional<WindowGeometry>(g) : std::nullopt;
}

bool XServer::grab(const std::string& window, const std::string& path) const {
    return runProcess("/usr/bin/env", {"import", "-window", window, path}, {{"DISPLAY", m_display}}, 30).exitCode == 0;
}

std::optional<Image> XServer::grabUntil(const std::string& window, const std::string& path, int timeoutSeconds,
                                        const std::function<bool(const Image&)>& good) const {
    std::optional<Image> last;
    for (int i = 0; i < timeoutSeconds * 4; ++i) {
        if (grab(window, path)) {
            last = readImage(path);
            if (last && good(*last)) {
                return last;
            }
        }
        ::usleep(250'000);
    }
    return last;
}

void XServer::click(int x, int y) const {
    xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
}

void XServer::key(const std::string& window, const std::string& keyName) const {
    xdotool({"key", "--window", window, keyName});
}

void XServer::resize(const std::string& window, int width, int height) const {
    xdotool({"windowsize", "--sync", window, std::to_string(width), std::to_string(height)});
}

} // namespace glw::test
