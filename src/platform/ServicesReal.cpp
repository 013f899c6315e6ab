// Desktop services on Linux: INI settings files, detached spawns for the shell, fontconfig, libjpeg.
#include "ServicesReal.h"

#include "WinPath.h"
#include "base/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <iostream>
#include <jerror.h>
#include <jpeglib.h>
#include <optional>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace glw::platform {

namespace {

// ---- host files ----

void logLine(const ServiceLog& log, const std::string& line) {
    if (log) {
        log(line);
    } else {
        std::cerr << "glw: " << line << '\n';
    }
}

std::optional<std::string> readHostFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ::close(fd);
            if (got < 0) {
                return std::nullopt;
            }
            return bytes;
        }
        bytes.append(buffer, std::size_t(got));
    }
}

bool makeFolders(const std::string& path) {
    std::size_t at = 0;
    while (at != std::string::npos) {
        at = path.find('/', at + 1);
        std::string part = path.substr(0, at);
        if (part.empty()) {
            continue;
        }
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---- INI text ----

std::string escapeIni(std::string_view text, std::string_view specials, std::string_view leadingSpecials) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            if (specials.find(c) != std::string_view::npos ||
                (i == 0 && leadingSpecials.find(c) != std::string_view::npos)) {
                out += '\\';
            }
            out += c;
        }
    }
    return out;
}

std::string unescapeIni(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == '0' ? '\0' : c;
    }
    return out;
}

// The position of the first `wanted` that is not escaped, or npos.
std::size_t findUnescaped(std::string_view text, char wanted) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == wanted) {
            return i;
        }
    }
    return std::string_view::npos;
}

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
};

std::vector<IniSection> parseIni(std::string_view text) {
    std::vector<IniSection> sections;
    IniSection* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            std::size_t close = findUnescaped(line.substr(1), ']');
            if (close == std::string_view::npos) {
                continue;
            }
            std::string name = unescapeIni(line.substr(1, close));
            current = nullptr;
            for (IniSection& s : sections) {
                if (equalsNoCase(s.name, name)) {
                    current = &s;
                }
            }
            if (!current) {
                current = &sections.emplace_back(IniSection{name, {}});
            }
            continue;
        }
        std::size_t eq = findUnescaped(line, '=');
        if (!current || eq == std::string_view::npos) {
            continue;
        }
        std::string key = unescapeIni(line.substr(0, eq));
        std::string value = unescapeIni(line.substr(eq + 1));
        auto found = std::find_if(current->values.begin(), current->values.end(),
                                  [&](const auto& kv) { return equalsNoCase(kv.first, key); });
        if (found != current->values.end()) {
            found->second = std::move(value);
        } else {
            current->values.emplace_back(std::move(key), std::move(value));
        }
    }
    return sections;
}

std::string formatIni(const std::vector<IniSection>& sections) {
    std::string out;
    for (const IniSection& s : sections) {
        if (!out.empty()) {
            out += '\n';
        }
        out += '[' + escapeIni(s.name, "]", "") + "]\n";
        for (const auto& [key, value] : s.values) {
            out += escapeIni(key, "=", "[;#") + '=' + escapeIni(value, "", "") + '\n';
        }
    }
    return out;
}

std::string fileNameFor(const std::string& appName) {
    std::string out;
    for (std::size_t i = 0; i < appName.size(); ++i) {
        auto c = static_cast<unsigned char>(appName[i]);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == '%' || (i == 0 && c == '.')) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return (out.empty() ? std::string("%") : out) + ".ini";
}

// ---- spawning ----

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

// A file that the system can run as a program of ours: executable, and an ELF image or a script.
bool isProgramFile(const std::string& path) {
    if (!isExecutableFile(path)) {
        return false;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char head[4] = {};
    ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
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

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return errno;
    }
    pid_t middle = ::fork();
    if (middle < 0) {
        int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return error;
    }
    if (middle == 0) {
        // Only async-signal-safe calls from here on: the parent may have other threads.
        ::close(report[0]);
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
        ssize_t ignored = ::write(report[1], &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got == sizeof error) {
        return error;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return EAGAIN; // the middle process could not fork
    }
    return 0;
}

// ---- JPEG ----

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->jump, 1);
}

void onJpegMessage(j_common_ptr info, int level) {
    // Warnings (level -1) mean damaged data: a cut-off file decodes "successfully" with grey rows.
    // Stray bytes between markers are common in real files and harmless.
    if (level == -1 && info->err->msg_code != JWRN_EXTRANEOUS_DATA) {
        onJpegError(info);
    }
}

// Decodes the whole image; 0 and the size, or 1 and a message. No C++ object lives in this frame, so the
// long jump of an error skips no destructor.
int decodeJpeg(const unsigned char* data, unsigned long size, int* width, int* height, char* message) {
    jpeg_decompress_struct info;
    JpegFailure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = onJpegError;
    failure.manager.emit_message = onJpegMessage;
    failure.message[0] = '\0';
    if (setjmp(failure.jump)) {
        std::memcpy(message, failure.message, sizeof failure.message);
        jpeg_destroy_decompress(&info);
        return 1;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * JDIMENSION(info.output_components), 1);
    while (info.output_scanline < info.output_height) {
        jpeg_read_scanlines(&info, row, 1);
    }
    jpeg_finish_decompress(&info);
    *width = int(info.image_width);
    *height = int(info.image_height);
    jpeg_destroy_decompress(&info);
    return 0;
}

} // namespace

// ---- IniSettingsStore ----

IniSettingsStore::IniSettingsStore(std::string folder, ServiceLog log)
    : m_folder(std::move(folder)), m_log(std::move(log)) {
    while (m_folder.size() > 1 && m_folder.back() == '/') {
        m_folder.pop_back();
    }
}

std::string IniSettingsStore::defaultFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        return std::string(config) + "/glw";
    }
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    } else {
        home = "/tmp";
    }
    return home + "/.config/glw";
}

std::string IniSettingsStore::filePath(const std::string& appName) const {
    std::string name = fileNameFor(appName);
    if (DIR* dir = ::opendir(m_folder.c_str())) {
        std::string best;
        while (dirent* entry = ::readdir(dir)) {
            std::string_view candidate = entry->d_name;
            if (equalsNoCase(candidate, name) && (best.empty() || candidate < std::string_view(best))) {
                best = std::string(candidate);
            }
        }
        ::closedir(dir);
        if (!best.empty()) {
            name = best;
        }
    }
    return m_folder + "/" + name;
}

std::string IniSettingsStore::getSetting(const std::string& appName, const std::string& section, const std::string& key,
                                         const std::string& defaultValue) {
    std::optional<std::string> text = readHostFile(filePath(appName));
    if (!text) {
        return defaultValue;
    }
    for (const IniSection& s : parseIni(*text)) {
        if (!equalsNoCase(s.name, section)) {
            continue;
        }
        for (const auto& [k, v] : s.values) {
            if (equalsNoCase(k, key)) {
                return v;
            }
        }
    }
    return defaultValue;
}

void IniSettingsStore::saveSetting(const std::string& appName, const std::string& section, const std::string& key,
                                   const std::string& value) {
    if (!makeFolders(m_folder)) {
        logLine(m_log, "settings: cannot create " + m_folder + ": " + std::strerror(errno));
        return;
    }
    int lock = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock >= 0) {
        while (::flock(lock, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    std::string path = filePath(appName);
    std::optional<std::string> text = readHostFile(path);
    if (!text && errno != ENOENT) {
        // Rewriting a file that could not be read would lose every other value in it.
        logLine(m_log, "settings: cannot read " + path + ": " + std::strerror(errno));
        if (lock >= 0) {
            ::close(lock);
        }
        return;
    }
    std::vector<IniSection> sections = parseIni(text.value_or(""));
    auto s = std::find_if(sections.begin(), sections.end(),
                          [&](const IniSection& x) { return equalsNoCase(x.name, section); });
    if (s == sections.end()) {
        s = sections.insert(sections.end(), IniSection{section, {}});
    }
    auto kv =
        std::find_if(s->values.begin(), s->values.end(), [&](const auto& x) { return equalsNoCase(x.first, key); });
    if (kv != s->values.end()) {
        kv->second = value;
    } else {
        s->values.emplace_back(key, value);
    }
    // The store is private to the user whatever the file had.
    auto replaced = base::replaceFileWith(path, formatIni(sections), base::Permissions{0600, false, false});
    if (lock >= 0) {
        ::close(lock);
    }
    if (!replaced) {
        logLine(m_log, "settings: " + replaced.error().detail);
    }
}

// ---- DesktopShell ----

DesktopShell::DesktopShell(std::string opener, ServiceLog log) : m_opener(std::move(opener)), m_log(std::move(log)) {}

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
    return viaOpener(host);
}

// ---- FontconfigFontList ----

std::vector<std::string> FontconfigFontList::names() {
    std::vector<std::string> names;
    if (!FcInit()) {
        return names;
    }
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    if (fonts) {
        for (int i = 0; i < fonts->nfont; ++i) {
            FcChar8* family = nullptr;
            // A font may carry its family name in several languages; the first is the one it is known by.
            if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family) {
                names.emplace_back(reinterpret_cast<const char*>(family));
            }
        }
        FcFontSetDestroy(fonts);
    }
    if (objects) {
        FcObjectSetDestroy(objects);
    }
    if (pattern) {
        FcPatternDestroy(pattern);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int order = compareNoCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// ---- JpegPictureLoader ----

Result<Picture> JpegPictureLoader::load(const std::string& systemPath) {
    std::string host = toHostPath(systemPath);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return makeError(ErrorCode::NotFound, "no picture file " + systemPath);
    }
    std::optional<std::string> bytes = readHostFile(host);
    if (!bytes) {
        return makeError(ErrorCode::Io, "cannot read " + systemPath + ": " + std::strerror(errno));
    }
    if (bytes->size() < 3 || std::memcmp(bytes->data(), "\xFF\xD8\xFF", 3) != 0) {
        return makeError(ErrorCode::Unsupported, systemPath + " is not a JPEG picture");
    }
    int width = 0, height = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (decodeJpeg(reinterpret_cast<const unsigned char*>(bytes->data()), static_cast<unsigned long>(bytes->size()),
                   &width, &height, message) != 0) {
        return makeError(ErrorCode::Malformed, systemPath + ": " + message);
    }
    return Picture{systemPath, width, height};
}

// ---- SystemClock, StdRandom ----

std::uint32_t SystemClock::tickCount() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

StdRandom::StdRandom() : m_engine(std::random_device{}()) {}

void StdRandom::randomize(double seed) {
    // Seed from the bits of the number, so that seeds that differ only in their fraction differ too.
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof seed);
    std::memcpy(&bits, &seed, sizeof bits);
    std::seed_seq sequence{std::uint32_t(bits), std::uint32_t(bits >> 32)};
    m_engine.seed(sequence);
}

float StdRandom::rnd() {
    // 24 random bits make every float in [0, 1) of that spacing equally likely and never give 1.
    return float(m_engine() >> 8) / float(1u << 24);
}

} // namespace glw::platform
