// The stubs' shared unpacking: folders, the run's work folder, the package copy, extraction and clean-up.
#include "stubs/StubCore.h"

#include "base/Ascii.h"
#include "base/FileIo.h"
#include "common/CopyHelpers.h"
#include "forms/Launch.h"
#include "jpk/JpkPackage.h"
#include "jpk/JpkReader.h"
#include "platform/WinPath.h"
#include "swf/Header.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::stubs {

namespace {

constexpr const char* kNoWorkFolder = "The work folder could not be set up";

} // namespace

StubEnvironment StubEnvironment::fromProcess() {
    StubEnvironment environment;
    environment.ownFile = forms::ownExecutablePath();
    return environment;
}

std::string sTempDirectory(const StubEnvironment& environment) {
    if (!environment.tempFolder.empty()) {
        return environment.tempFolder;
    }
    auto folder = platform::userTempFolder();
    return folder ? *folder : std::string();
}

std::string sWindowsDirectory(const StubEnvironment& environment) {
    if (!environment.windowsFolder.empty()) {
        return environment.windowsFolder;
    }
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') {
        base = data;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    const std::string folder = base + "/glw/screensavers";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) {
        return {};
    }
    return platform::toSystemPath(folder);
}

FrameSize frameOf(const forms::Form& form) {
    const forms::FrameTwips frame = form.runtime().ui().frameOf(form);
    return FrameSize{frame.width, frame.height};
}

int ScaleWidth(const forms::Form& form) {
    return form.ScaleWidth();
}
int ScaleHeight(const forms::Form& form) {
    return form.ScaleHeight();
}

void SetBar(forms::Runtime& runtime, forms::PictureBox& picProgbar, forms::Label& lblPrgbar, double precent) {
    runtime.DoEvents();
    lblPrgbar.Width = int(std::lround(picProgbar.Width / 100.0 * precent));
    lblPrgbar.Visible = precent != 0;
    runtime.DoEvents();
}

bool APICopy(forms::Runtime& runtime, const std::string& Source, const std::string& Dest) {
    std::string failure;
    if (common::APICopy(Source, Dest, failure)) {
        return true;
    }
    runtime.logError("APICopy", vb::ErrPathFileAccess, failure);
    return false;
}

bool copyBackNoFollow(forms::Runtime& runtime, const std::string& hostSource, const std::string& Dest) {
    const std::string target = platform::toHostPath(vb::Trim(Dest));
    auto refuse = [&](const std::string& why) {
        runtime.logError("copy back", vb::ErrPathFileAccess, Dest + ": " + why);
        return false;
    };
    if (target.empty()) {
        return refuse("no such folder");
    }
    const int in = ::open(hostSource.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) {
        return refuse("the working copy cannot be read");
    }
    base::UniqueFd source(in);
    struct stat from {};
    if (::fstat(in, &from) != 0 || !S_ISREG(from.st_mode)) {
        return refuse("the working copy is not a plain file");
    }
    mode_t mode = from.st_mode & 07777;
    struct stat to {};
    if (::lstat(target.c_str(), &to) == 0) {
        if (!S_ISREG(to.st_mode)) {
            return refuse("a link or another kind of file is in the way, and links are never followed");
        }
        mode = to.st_mode & 07777;
    }
    // The copy replaces the name itself: should a link appear there meanwhile, the rename replaces the link
    // and never writes through it.
    auto out = base::FreshFile::create(target, mode);
    if (!out) {
        return refuse(out.error().detail);
    }
    if (auto copied = out->copyIn(in, 0, std::uint64_t(from.st_size), 0, jpk::kJpkPieceSize); !copied) {
        return refuse(copied.error().detail);
    }
    if (auto committed = out->commit(); !committed) {
        return refuse(committed.error().detail);
    }
    return true;
}

MovieSize playerMovieSize(long width, long height, const std::string& movieHostPath,
                          const forms::ScreenObject& screen) {
    const auto usable = [](long pixels, double twipsPerPixel) {
        return pixels > 0 && double(pixels) * twipsPerPixel <= double(std::numeric_limits<std::int32_t>::max());
    };
    const bool widthUsable = usable(width, screen.TwipsPerPixelX);
    const bool heightUsable = usable(height, screen.TwipsPerPixelY);
    MovieSize size{widthUsable ? width : 0, heightUsable ? height : 0};
    if (widthUsable && heightUsable) {
        return size;
    }
    auto header = swf::readSwfHeader(movieHostPath);
    if (!header || header->widthPixels < 1 || header->heightPixels < 1) {
        return size;
    }
    // The stage keeps its shape: a stage larger than the screen is made smaller as a whole.
    const double screenWidth = screen.Width / screen.TwipsPerPixelX;
    const double screenHeight = screen.Height / screen.TwipsPerPixelY;
    const double scale = std::min({1.0, screenWidth / header->widthPixels, screenHeight / header->heightPixels});
    if (!widthUsable) {
        size.width = std::max(1L, std::lround(header->widthPixels * scale));
    }
    if (!heightUsable) {
        size.height = std::max(1L, std::lround(header->heightPixels * scale));
    }
    return size;
}

std::string readStartupFile(const std::string& systemPath) {
    try {
        return vb::readAllBytes(systemPath);
    } catch (const vb::RuntimeError&) {
        return {};
    }
}

namespace {

// The cores of this process, cleaned up when the process ends through std::exit or std::quick_exit (the
// desktop's way to end the program, which leaves the forms and their cores in place), so that no run folder
// outlives its run.
std::vector<StubCore*>& liveCores() {
    static std::vector<StubCore*> cores;
    return cores;
}

extern "C" void cleanUpLiveCores() {
    for (StubCore* core : liveCores()) {
        core->cleanUp();
    }
}

} // namespace

StubCore::StubCore(forms::Runtime& runtime, StubEnvironment environment)
    : m_runtime(runtime), m_environment(std::move(environment)) {
    // The list is made before the handler is registered, so that it is still there when the handler runs.
    auto& cores = liveCores();
    static const bool registered = std::atexit(cleanUpLiveCores) == 0 && std::at_quick_exit(cleanUpLiveCores) == 0;
    (void)registered;
    cores.push_back(this);
}

StubCore::~StubCore() {
    auto& cores = liveCores();
    cores.erase(std::remove(cores.begin(), cores.end(), this), cores.end());
}

void StubCore::trace(const std::string& line) {
    if (m_runtime.trace().enabled()) {
        m_runtime.trace().write(line);
    }
}

bool StubCore::setUpWorkFolder() {
    std::string base = m_environment.tempFolder;
    if (base.empty()) {
        auto folder = platform::userTempFolder();
        if (!folder) {
            return failWith("sTempDirectory", kNoWorkFolder, folder.error().detail);
        }
        base = *folder;
    }
    auto work = StubWorkFolder::setUp(platform::toHostPath(base));
    if (!work) {
        return failWith("TempFolder", kNoWorkFolder, work.error().detail);
    }
    const std::string system = platform::toSystemPath(work->TempFolder());
    if (system.empty()) {
        ::rmdir(work->TempFolder().c_str());
        return failWith("TempFolder", kNoWorkFolder,
                        "the work folder cannot be named, as a folder name in it holds \"\\\": " + work->TempFolder());
    }
    m_work = std::move(*work);
    TempFolder = system;
    m_runLock = base::UniqueFd(::open(m_work->TempFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (m_runLock.valid()) {
        ::flock(m_runLock.get(), LOCK_EX | LOCK_NB);
    }
    removeAbandonedRunFolders();
    return true;
}

void StubCore::removeAbandonedRunFolders() {
    constexpr auto kQuietFor = std::chrono::minutes(1);
    const std::string own = std::filesystem::path(m_work->TempFolder()).parent_path().filename().string();
    const auto now = std::chrono::system_clock::now();
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(m_work->tempSwfFolder(), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("run-", 0) != 0 || name == own) {
            continue;
        }
        const std::string path = it->path().string();
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
            continue;
        }
        if (now - std::chrono::system_clock::from_time_t(st.st_mtime) < kQuietFor) {
            continue; // perhaps a run that has made its folder and not yet locked it
        }
        const base::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.valid()) {
            continue;
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
            trace("cleanup " + forms::Trace::quote(platform::toSystemPath(path) + "\\"));
        }
    }
}

std::string StubCore::hostTempFolder() const {
    return m_work ? m_work->TempFolder() : std::string();
}

std::string StubCore::hostTempSwfFolder() const {
    return m_work ? m_work->tempSwfFolder() : std::string();
}

bool StubCore::ExtractAppendedData() {
    if (!m_work) {
        return false;
    }
    auto copied = jpk::ExtractAppendedData(m_environment.ownFile, m_work->dataFile());
    if (!copied) {
        // A program without a package is what the stub's message says; anything else (a full disk, a
        // refused write) is a cause of its own that the user must see.
        const ErrorCode code = copied.error().code;
        if (code == ErrorCode::NotFound || code == ErrorCode::Truncated) {
            m_runtime.logError("ExtractAppendedData", 0, copied.error().detail);
            return false;
        }
        return failWith("ExtractAppendedData", "The package could not be copied into the work folder",
                        copied.error().detail);
    }
    return true;
}

std::string StubCore::withFailure(const std::string& message) const {
    return m_failure.empty() ? message : message + "\r\n\r\n" + m_failure;
}

bool StubCore::failWith(const std::string& step, const std::string& what, const std::string& cause) {
    m_runtime.logError(step, 0, cause);
    m_failure = what + ": " + cause;
    return false;
}

JpkExtraction StubCore::extractEntries(forms::ListBox& List1, const SetBarCallback& setBar) {
    if (!m_work) {
        return {};
    }
    auto result = m_work->extractAll(DelFileList, setBar, [&](const std::string& name) { List1.AddItem(name); });
    m_extracted.insert(m_extracted.end(), result.extracted.begin(), result.extracted.end());
    if (result.listingError.code != ErrorCode::None) {
        m_runtime.logError("JpkList", 0, result.listingError.detail);
    }
    // extractAll keeps the package's order in its lists; the trace follows the listing. A refused name is a
    // "skip"; an entry that could not be written is an error.
    std::size_t nextExtracted = 0;
    std::size_t nextFailed = 0;
    for (const std::string& name : result.listed) {
        if (nextExtracted < result.extracted.size() && result.extracted[nextExtracted] == name) {
            trace("extract " + forms::Trace::quote(name));
            ++nextExtracted;
        } else if (nextFailed < result.failed.size() && result.failed[nextFailed].first == name) {
            m_runtime.logError("JpkExtract", 0, name + ": " + result.failed[nextFailed].second.detail);
            ++nextFailed;
        } else {
            trace("skip " + forms::Trace::quote(name));
        }
    }
    return result;
}

std::string StubCore::runTarget(const std::string& target) const {
    if (!m_work || !jpk::isBareEntryName(target)) {
        return target;
    }
    // System names are matched without regard to case; the file is opened as it stands in the run folder.
    for (const std::string& name : m_extracted) {
        if (base::iequals(name, target) && base::isPlainFile(m_work->TempFolder() + name)) {
            return TempFolder + name;
        }
    }
    return target;
}

void StubCore::deleteWorkFile(std::string_view name) {
    // The package copy is no entry name, so this takes any single name of the work folder itself.
    const bool single = !name.empty() && name != "." && name != ".." &&
                        name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
    if (m_work && single) {
        ::unlink((m_work->TempFolder() + std::string(name)).c_str());
    }
}

void StubCore::cleanUp() {
    if (m_cleanedUp || !m_work) {
        return;
    }
    m_cleanedUp = true;
    m_work->cleanUp(DelFileList);
    // The run folder is this run's alone: whatever the movie wrote there goes too, because no later run
    // ever looks into it again.
    std::error_code ec;
    std::filesystem::remove_all(m_work->TempFolder(), ec);
    m_runLock = base::UniqueFd();
    trace("cleanup " + forms::Trace::quote(TempFolder));
}

} // namespace glw::stubs
