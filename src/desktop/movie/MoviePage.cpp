// The movie page: the host page's messages turned into signals, and navigation refused.
#include "MoviePage.h"

#include "MovieEngine.h"
#include "swf/Movie.h"
#include "swf/Still.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>
#include <QWebEngineNewWindowRequest>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <memory>

namespace glw::qt::movie {

namespace {

bool logging() {
    static const bool on = std::getenv("GLW_MOVIE_LOG") != nullptr;
    return on;
}

// Milliseconds since the first page, for the log.
long long logTime() {
    static QElapsedTimer clock;
    if (!clock.isValid()) {
        clock.start();
    }
    return clock.elapsed();
}

QString randomHex() {
    const quint64 a = QRandomGenerator::global()->generate64();
    const quint64 b = QRandomGenerator::global()->generate64();
    return QStringLiteral("%1%2").arg(a, 16, 16, QLatin1Char('0')).arg(b, 16, 16, QLatin1Char('0'));
}

QImage decodeDataUrl(const QString& dataUrl) {
    const qsizetype comma = dataUrl.indexOf(QLatin1Char(','));
    if (!dataUrl.startsWith(QLatin1String("data:image/png;base64")) || comma < 0) {
        return {};
    }
    const QByteArray png = QByteArray::fromBase64(dataUrl.mid(comma + 1).toLatin1());
    QImage image;
    if (!image.loadFromData(png, "PNG")) {
        return {};
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QString backgroundOf(const QString& colour) {
    static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    return rgb.match(colour).hasMatch() ? colour.toUpper() : QString();
}

namespace {

// The movies read last, by absolute path, with the size and time of the file they came from.
struct ReadMovie {
    qint64 size = 0;
    QDateTime modified;
    PageLoad load;
};

class ReadMovies {
public:
    const PageLoad* find(const QString& path, const QFileInfo& info) {
        for (auto it = m_movies.begin(); it != m_movies.end(); ++it) {
            if (it->first == path) {
                if (it->second.size != info.size() || it->second.modified != info.lastModified()) {
                    m_bytes -= it->second.load.bytes.size();
                    m_movies.erase(it);
                    return nullptr;
                }
                m_movies.splice(m_movies.begin(), m_movies, it); // the most recent first
                return &m_movies.front().second.load;
            }
        }
        return nullptr;
    }
    void keep(const QString& path, const QFileInfo& info, const PageLoad& load) {
        m_movies.emplace_front(path, ReadMovie{info.size(), info.lastModified(), load});
        m_bytes += load.bytes.size();
        while (m_movies.size() > 1 && (m_bytes > kMaxBytes || m_movies.size() > kMaxMovies)) {
            m_bytes -= m_movies.back().second.load.bytes.size();
            m_movies.pop_back();
        }
    }

private:
    // A page of cells, its titles and the empty movie, with room to spare.
    static constexpr qsizetype kMaxBytes = 16LL * 1024 * 1024;
    static constexpr std::size_t kMaxMovies = 64;
    std::list<std::pair<QString, ReadMovie>> m_movies;
    qsizetype m_bytes = 0;
};

bool stillMovie(const QByteArray& bytes) {
    auto file = std::make_shared<swf::Bytes>(bytes.begin(), bytes.end());
    const auto movie = swf::readMovie(file);
    return movie.ok() && swf::isStill(movie.value());
}

} // namespace

std::optional<PageLoad> readMovie(const QString& hostPath) {
    if (hostPath.isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo info(hostPath);
    if (!info.isFile()) {
        return std::nullopt;
    }
    const QString path = info.absoluteFilePath();
    static ReadMovies kept;
    if (const PageLoad* load = kept.find(path, info)) {
        allowFolderOf(hostPath);
        return *load;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray magic = file.peek(3);
    if (magic != "FWS" && magic != "CWS" && magic != "ZWS") {
        return std::nullopt;
    }
    PageLoad load;
    load.url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    allowFolderOf(hostPath);
    constexpr qint64 kLargestHandedOver = 32LL * 1024 * 1024;
    if (info.size() <= kLargestHandedOver) {
        load.bytes = file.readAll();
        load.still = stillMovie(load.bytes);
        kept.keep(path, info, load);
    }
    return load;
}

MoviePage::MoviePage(QObject* parent, bool silent, int frameIntervalMs)
    : QWebEnginePage(movieProfile(), parent), m_token(QStringLiteral("glw-") + randomHex() + QLatin1Char(':')),
      m_silent(silent), m_frameIntervalMs(frameIntervalMs) {
    if (logging()) {
        std::fprintf(stderr, "movie: %lld ms: page made\n", logTime());
    }
    connect(this, &QWebEnginePage::loadFinished, this, [](bool ok) {
        if (logging()) {
            std::fprintf(stderr, "movie: %lld ms: host page loaded (%s)\n", logTime(), ok ? "ok" : "failed");
        }
    });
    setBackgroundColor(Qt::transparent);
    // A window a movie asks for is never made; its address is reported like any other link.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { emit urlRequested(request.requestedUrl().toString(), {}); });
    // A renderer that died (out of memory, killed) is started again with the movie it showed.
    connect(this, &QWebEnginePage::renderProcessTerminated, this, [this](RenderProcessTerminationStatus status, int) {
        if (status != NormalTerminationStatus) {
            loadHost();
        }
    });
    loadHost();
}

void MoviePage::loadHost() {
    m_ready = false;
    const QUrl base = playerPageUrl();
    if (base.isEmpty()) {
        return; // no player installed: the page stays empty
    }
    m_hostLoadPending = true;
    setHtml(hostPageHtml(m_token, randomHex(), m_silent, m_frameIntervalMs), base);
}

int MoviePage::loadMovie(const PageLoad& load) {
    m_loads[load.slot] = load;
    m_suspended = load.suspended;
    const int gen = ++m_generation;
    m_generations[load.slot] = gen;
    if (m_ready) {
        send(load, gen);
    }
    return gen;
}

bool MoviePage::current(int gen) const {
    for (const auto& [slot, newest] : m_generations) {
        if (newest == gen) {
            return true;
        }
    }
    return false;
}

void MoviePage::send(const PageLoad& load, int gen) {
    QJsonObject order;
    order[QStringLiteral("gen")] = gen;
    order[QStringLiteral("slot")] = load.slot;
    if (!load.rect.isNull()) {
        order[QStringLiteral("rect")] = QJsonObject{{QStringLiteral("x"), load.rect.x()},
                                                    {QStringLiteral("y"), load.rect.y()},
                                                    {QStringLiteral("width"), load.rect.width()},
                                                    {QStringLiteral("height"), load.rect.height()}};
    }
    order[QStringLiteral("url")] = load.url;
    if (!load.bytes.isEmpty()) {
        order[QStringLiteral("data")] = QString::fromLatin1(load.bytes.toBase64());
    }
    order[QStringLiteral("parameters")] = load.parameters;
    order[QStringLiteral("scale")] = load.scale;
    order[QStringLiteral("background")] = load.background;
    order[QStringLiteral("transparent")] = load.transparent;
    order[QStringLiteral("poster")] = load.poster;
    order[QStringLiteral("capture")] = load.capture;
    order[QStringLiteral("still")] = load.still;
    order[QStringLiteral("suspended")] = m_suspended;
    if (load.width > 0 && load.height > 0) {
        order[QStringLiteral("width")] = load.width;
        order[QStringLiteral("height")] = load.height;
    }
    if (logging()) {
        order[QStringLiteral("debug")] = true;
    }
    if (load.frameRate > 0) {
        order[QStringLiteral("frameRate")] = load.frameRate;
    }
    const QString json = QString::fromUtf8(QJsonDocument(order).toJson(QJsonDocument::Compact));
    if (logging()) {
        std::fprintf(stderr, "movie: %lld ms: load %d (slot %d): %s\n", logTime(), gen, load.slot,
                     qPrintable(load.url));
    }
    QString script = QStringLiteral("window.glw && window.glw.load(%1);").arg(json);
    if (!load.shown) {
        script += placeScript(load.slot, load.rect, false);
    }
    runJavaScript(script);
}

QString MoviePage::placeScript(int slot, const QRect& rect, bool shown) {
    const QString place = rect.isNull() ? QStringLiteral("null")
                                        : QStringLiteral("{x: %1, y: %2, width: %3, height: %4}")
                                              .arg(rect.x())
                                              .arg(rect.y())
                                              .arg(rect.width())
                                              .arg(rect.height());
    return QStringLiteral("window.glw && window.glw.place(%1, %2, %3);")
        .arg(slot)
        .arg(place, shown ? QStringLiteral("true") : QStringLiteral("false"));
}

void MoviePage::placeSlot(int slot, const QRect& rect, bool shown) {
    if (auto it = m_loads.find(slot); it != m_loads.end()) {
        it->second.rect = rect;
        it->second.shown = shown;
    }
    if (m_ready) {
        runJavaScript(placeScript(slot, rect, shown));
    }
}

void MoviePage::releaseSlot(int slot) {
    m_loads.erase(slot);
    m_generations.erase(slot);
    if (m_ready) {
        runJavaScript(QStringLiteral("window.glw && window.glw.release(%1);").arg(slot));
    }
}

void MoviePage::suspendPlayer() {
    m_suspended = true;
    if (m_ready) {
        runJavaScript(QStringLiteral("window.glw && window.glw.suspend();"));
    }
}

void MoviePage::resumePlayer() {
    m_suspended = false;
    if (m_ready) {
        runJavaScript(QStringLiteral("window.glw && window.glw.resume();"));
    }
}

void MoviePage::releasePlayer() {
    m_loads.clear();
    m_generations.clear();
    ++m_generation;
    if (m_ready) {
        runJavaScript(QStringLiteral("window.glw && window.glw.release();"));
    }
}

bool MoviePage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
    // Only the host page that we load ourselves; a movie's getURL to this window is reported instead.
    if (isMainFrame && m_hostLoadPending) {
        m_hostLoadPending = false;
        return true;
    }
    if (logging()) {
        std::fprintf(stderr, "movie: navigation refused: %s\n", qPrintable(url.toString()));
    }
    emit urlRequested(url.toString(), isMainFrame ? QStringLiteral("_self") : QString());
    return false;
}

void MoviePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int line,
                                         const QString& source) {
    if (message.startsWith(m_token)) {
        handleMessage(message.mid(m_token.size()).toUtf8());
        return;
    }
    if (logging()) {
        std::fprintf(stderr, "movie: %lld ms: %s:%d: %s\n", logTime(), qPrintable(source), line, qPrintable(message));
    }
}

void MoviePage::handleMessage(const QByteArray& json) {
    const QJsonObject message = QJsonDocument::fromJson(json).object();
    const QString kind = message.value(QStringLiteral("kind")).toString();
    const int gen = message.value(QStringLiteral("gen")).toInt();
    if (logging()) {
        std::fprintf(stderr, "movie: %lld ms: message %s for load %d\n", logTime(), qPrintable(kind), gen);
    }
    if (kind == QLatin1String("ready")) {
        m_ready = true;
        for (const auto& [slot, load] : m_loads) {
            send(load, m_generations[slot]);
        }
        emit hostReady();
        return;
    }
    if (kind == QLatin1String("url")) {
        emit urlRequested(message.value(QStringLiteral("url")).toString(),
                          message.value(QStringLiteral("target")).toString());
        return;
    }
    if (!current(gen)) {
        return; // a report about a movie that has been replaced since
    }
    if (kind == QLatin1String("frame")) {
        if (logging()) {
            std::fprintf(stderr, "movie: timing %s\n", qPrintable(message.value(QStringLiteral("timing")).toString()));
        }
        emit frameShown(gen, decodeDataUrl(message.value(QStringLiteral("image")).toString()));
    } else if (kind == QLatin1String("empty")) {
        emit movieEmpty(gen);
    } else if (kind == QLatin1String("error")) {
        emit movieFailed(gen, message.value(QStringLiteral("message")).toString());
        emit movieEmpty(gen);
    } else if (kind == QLatin1String("fscommand")) {
        emit fsCommandRaised(gen, message.value(QStringLiteral("command")).toString(),
                             message.value(QStringLiteral("args")).toString());
    }
}

} // namespace glw::qt::movie
