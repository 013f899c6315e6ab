// Finding the player's files, the engine's process-wide set-up and the shared movie profile.
#include "MovieEngine.h"

#include "PlayerFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <unistd.h>

namespace glw::qt::movie {

namespace {

bool holdsPlayer(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder + QStringLiteral("/ruffle.js")).isFile();
}

// The folders whose files pages may read: the player's and those of the movies shown.
std::mutex g_foldersMutex;
QStringList g_folders;

bool readable(const QString& localPath) {
    const QString path = QDir::cleanPath(localPath);
    const std::lock_guard lock(g_foldersMutex);
    for (const QString& folder : g_folders) {
        if (path.startsWith(folder + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

// Movies and the player come from local files only: a movie's loadVariables, loadMovie or XML.load of
// a web address, and anything else that would reach the network, is refused. Of the local files, only
// the player's and those beside the movies shown can be read: a movie cannot read the user's files.
class LocalOnlyInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        const QString scheme = url.scheme();
        if (scheme == QLatin1String("data") || scheme == QLatin1String("blob")) {
            return;
        }
        if (scheme == QLatin1String("file") && readable(url.toLocalFile())) {
            return;
        }
        info.block(true);
    }
};

// The engine reports its graphics set-up at info level on every start; programs that play a movie would
// print it each time. Warnings still come through, and QT_LOGGING_RULES can bring the report back.
QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

void quietEngineReport(QLoggingCategory* category) {
    if (g_previousFilter) {
        g_previousFilter(category);
    }
    if (qstrcmp(category->categoryName(), "qt.webenginecontext") == 0 &&
        qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) {
        category->setEnabled(QtInfoMsg, false);
    }
}

// The pack of the player's files that a program carries inside itself (the stubs, which travel alone):
// defined by the object the stubs link, absent (null) in every other program.
extern "C" {
extern const char glw_player_pack_start[] __attribute__((weak));
extern const char glw_player_pack_end[] __attribute__((weak));
}

std::string_view carriedPack() {
    const char* start = glw_player_pack_start;
    const char* end = glw_player_pack_end;
    if (!start || !end || end <= start) {
        return {};
    }
    return {start, static_cast<std::size_t>(end - start)};
}

// The player's files: $GLW_RUFFLE_DIR (a developer's folder holding ruffle.js, taken as it is), the pack the
// program carries (unpacked into the user's cache), or the application folder's "ruffle" beside the
// program, checked against its manifest. Nothing names a folder of the build.
Result<std::string> findPlayerFiles() {
    if (const char* env = std::getenv("GLW_RUFFLE_DIR"); env && *env) {
        if (holdsPlayer(QString::fromLocal8Bit(env))) {
            return std::string(env);
        }
        return makeError(ErrorCode::NotFound,
                         std::string("GLW_RUFFLE_DIR names ") + env + ", which holds no ruffle.js.");
    }
    if (const std::string_view pack = carriedPack(); !pack.empty()) {
        return unpackPlayerToCache(pack, playerCacheRoots());
    }
    const QString programDir = QCoreApplication::applicationDirPath();
    if (programDir.isEmpty()) {
        return makeError(ErrorCode::NotFound, "The program's own folder is not known.");
    }
    const std::string folder = (programDir + QStringLiteral("/ruffle")).toStdString();
    if (auto checked = checkPlayerFolder(folder); !checked) {
        return checked.error();
    }
    return folder;
}

// The web engine's own parts that Qt cannot start without (it ends the program when they are missing):
// its helper program and its resources.
Result<void> checkWebEngine() {
    QString process = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (process.isEmpty()) {
        process = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
    }
    if (!QFileInfo(process).isExecutable()) {
        return makeError(ErrorCode::NotFound, "The web engine's program " + process.toStdString() +
                                                  " is not installed (Debian and Ubuntu: libqt6webenginecore6-bin).");
    }
    QString resources = qEnvironmentVariable("QTWEBENGINE_RESOURCES_PATH");
    if (resources.isEmpty()) {
        resources = QLibraryInfo::path(QLibraryInfo::DataPath) + QStringLiteral("/resources");
    }
    const QString pak = resources + QStringLiteral("/qtwebengine_resources.pak");
    if (!QFileInfo(pak).isFile()) {
        return makeError(ErrorCode::NotFound, "The web engine's resources " + pak.toStdString() +
                                                  " are not installed (Debian and Ubuntu: libqt6webengine6-data).");
    }
    return {};
}

} // namespace

Result<QString> playerFolder() {
    static const Result<QString> found = []() -> Result<QString> {
        auto folder = findPlayerFiles();
        if (!folder) {
            return folder.error();
        }
        if (auto engine = checkWebEngine(); !engine) {
            return engine.error();
        }
        return QDir(QString::fromStdString(*folder)).canonicalPath();
    }();
    return found;
}

void prepareEngine() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Chromium will not start its sandbox as root; CI runs as root. A normal user keeps the sandbox.
        if (::geteuid() == 0) {
            ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
        }
        g_previousFilter = QLoggingCategory::installFilter(quietEngineReport);
        // One renderer process for all movie pages (they are one site: local files), so the player's
        // wasm is compiled and held once, not once per view.
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        const auto add = [&flags](const QByteArray& flag, const QByteArray& unlessGiven) {
            if (!flags.contains(unlessGiven)) {
                flags += (flags.isEmpty() ? "" : " ") + flag;
            }
        };
        add("--process-per-site", "--process-per-site");
        // The player draws with the canvas renderer, and the engine's pictures go to Qt as images: composed
        // in software they cost less than through OpenGL, above all where OpenGL is itself software (no
        // GPU, a virtual display). A page of twelve playing cells takes half as much of the program's CPU.
        add("--disable-gpu-compositing", "gpu-compositing");
        // Each page compiles the player's WebAssembly (14 MB) for itself. Compiled as its functions are first
        // called (a movie calls only a part of the player), the first movies come sooner: the start-up of
        // the engine, the titles and a page of cells took 1.6-1.9 s against 1.7-3.3 s, in the same runs.
        add("--js-flags=--wasm-lazy-compilation", "--js-flags");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    });
}

QWebEngineProfile* movieProfile() {
    static QWebEngineProfile* profile = nullptr;
    if (profile) {
        return profile;
    }
    prepareEngine();
    // No storage name: off the record. The profile must outlive every page, and pages may live as long as
    // the application object (children of windows it deletes last), so it is kept until the process ends.
    profile = new QWebEngineProfile();
    if (const auto folder = playerFolder()) {
        const std::lock_guard lock(g_foldersMutex);
        g_folders << QDir::cleanPath(*folder);
    }
    profile->setUrlRequestInterceptor(new LocalOnlyInterceptor(profile));
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    settings->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    return profile;
}

void allowFolderOf(const QString& hostPath) {
    const QString folder = QDir::cleanPath(QFileInfo(hostPath).absolutePath());
    const std::lock_guard lock(g_foldersMutex);
    if (!g_folders.contains(folder)) {
        g_folders << folder;
    }
}

QUrl playerPageUrl() {
    const auto folder = playerFolder();
    if (!folder) {
        return {};
    }
    return QUrl::fromLocalFile(*folder + QStringLiteral("/glw-movie.html"));
}

} // namespace glw::qt::movie
