// Posters: one hidden player page draws each movie's first frame once; the images are kept by what they show.
#include "MoviePage.h"
#include "MoviePlayer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace glw::qt::movie {

PosterCache::PosterCache(QObject* parent) : QObject(parent) {
    m_timeout = new QTimer(this);
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, [this] { finish({}, false); });
    // The page goes when nothing was asked for a while: posters are drawn in bursts (the panel titles at
    // start-up), and a page kept for the next burst holds its share of the engine's memory all along.
    m_idleRelease = new QTimer(this);
    m_idleRelease->setSingleShot(true);
    m_idleRelease->setInterval(kIdleReleaseMs);
    connect(m_idleRelease, &QTimer::timeout, this, [this] {
        if (!m_busy && m_queue.empty()) {
            releaseRenderer();
        }
    });
}

PosterCache::~PosterCache() {
    releaseRenderer();
}

void PosterCache::releaseRenderer() {
    // Widgets cannot be deleted once the application object is going: a cache that is its child lets its
    // window go with the process instead.
    if (m_window && !QCoreApplication::closingDown()) {
        delete m_window; // the page goes with its view
    }
    m_window = nullptr;
    m_web = nullptr;
    m_page = nullptr;
}

QString PosterCache::keyOf(const PosterRequest& request) {
    // The file's time and size make an edited movie a new poster; the path alone would serve the old one.
    const QFileInfo info(request.hostPath);
    const qint64 mtime = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
    return QStringLiteral("%1\n%2\n%3\n%4\n%5x%6\n%7\n%8")
        .arg(info.absoluteFilePath())
        .arg(mtime)
        .arg(info.exists() ? info.size() : -1)
        .arg(request.variables)
        .arg(request.size.width())
        .arg(request.size.height())
        .arg(scaleName(request.scaleMode))
        .arg(backgroundOf(request.background));
}

void PosterCache::prewarm() {
    ensureRenderer();
}

void PosterCache::ensureRenderer() {
    if (m_page) {
        return;
    }
    // The page must count as visible, or the engine never draws its frames; a window that is "shown" but
    // never put on the screen gives that without anything appearing to the user.
    m_window = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_window->setAttribute(Qt::WA_DontShowOnScreen);
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    // The page keeps one size: the player takes each poster's size inside it, and the image is read from
    // the player's own canvas. (A hidden view that is resized stops drawing until it is shown again.)
    m_window->resize(640, 480);
    m_web = new QWebEngineView(m_window);
    m_web->resize(m_window->size());
    m_page = new MoviePage(m_web, true);
    m_web->setPage(m_page);
    m_window->show();
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &PosterCache::releaseRenderer,
            Qt::UniqueConnection);
    connect(m_page, &MoviePage::hostReady, this, [this] {
        if (m_busy) {
            m_timeout->start(m_frameTimeoutMs);
        }
    });
    connect(m_page, &MoviePage::frameShown, this, [this](int gen, const QImage& image) {
        if (m_busy && gen == m_busyGeneration) {
            finish(image, true);
        }
    });
    connect(m_page, &MoviePage::movieEmpty, this, [this](int gen) {
        if (m_busy && gen == m_busyGeneration) {
            finish({}, true);
        }
    });
}

void PosterCache::request(QObject* receiver, const PosterRequest& request, Callback done) {
    Waiting waiting;
    waiting.receiver = receiver;
    waiting.hasReceiver = receiver != nullptr;
    waiting.request = request;
    waiting.key = keyOf(request);
    waiting.done = std::move(done);
    waiting.serial = ++m_serial;
    if (receiver) {
        m_latest[receiver] = waiting.serial;
    }

    if (const auto kept = m_images.find(waiting.key); kept != m_images.end()) {
        m_uses.splice(m_uses.begin(), m_uses, kept->use);
        deliverLater(std::move(waiting), kept->image);
        return;
    }
    // A poster a former run drew comes from the disk, without the player.
    if (QImage fromDisk = stored(request); !fromDisk.isNull()) {
        deliverLater(std::move(waiting), fromDisk);
        return;
    }
    if (m_busy && waiting.key == m_busyKey) {
        m_busyWaiters.push_back(std::move(waiting));
        return;
    }
    m_queue.push_back(std::move(waiting));
    QTimer::singleShot(0, this, [this] { next(); });
}

void PosterCache::cancel(QObject* receiver) {
    m_latest.remove(receiver);
}

bool PosterCache::wanted(const Waiting& waiting) const {
    if (!waiting.hasReceiver) {
        return true;
    }
    if (!waiting.receiver) {
        return false;
    }
    const auto latest = m_latest.find(waiting.receiver.data());
    return latest != m_latest.end() && *latest == waiting.serial;
}

void PosterCache::deliver(Waiting& waiting, const QImage& image) {
    if (!wanted(waiting)) {
        return;
    }
    if (waiting.hasReceiver) {
        m_latest.remove(waiting.receiver.data());
    }
    if (waiting.done) {
        waiting.done(image);
    }
}

void PosterCache::deliverLater(Waiting waiting, const QImage& image) {
    QTimer::singleShot(0, this, [this, w = std::move(waiting), image]() mutable { deliver(w, image); });
}

void PosterCache::next() {
    if (m_busy) {
        return;
    }
    while (!m_queue.empty()) {
        Waiting first = std::move(m_queue.front());
        m_queue.pop_front();
        if (!wanted(first)) {
            continue;
        }
        if (const auto kept = m_images.find(first.key); kept != m_images.end()) {
            deliver(first, kept->image);
            continue;
        }
        if (!playerAvailable()) {
            deliver(first, QImage()); // without the player every movie shows as its background
            continue;
        }
        // Everyone waiting for the same poster is answered by one drawing.
        m_busy = true;
        m_busyKey = first.key;
        m_busyWaiters.clear();
        m_busyWaiters.push_back(std::move(first));
        for (auto it = m_queue.begin(); it != m_queue.end();) {
            if (it->key == m_busyKey) {
                m_busyWaiters.push_back(std::move(*it));
                it = m_queue.erase(it);
            } else {
                ++it;
            }
        }
        draw(m_busyWaiters.front().request);
        return;
    }
    // Nothing left to draw: the hidden page lets its player go, so that it does not wake every frame, and
    // goes itself unless more is asked for soon.
    if (m_page) {
        m_page->releasePlayer();
        m_idleRelease->start();
    }
    emit idle();
}

void PosterCache::draw(const PosterRequest& request) {
    m_idleRelease->stop();
    ensureRenderer();
    const QSize size = request.size.isValid() && !request.size.isEmpty() ? request.size : QSize(200, 150);
    m_drawSize = size;
    PageLoad order = readMovie(request.hostPath).value_or(PageLoad{});
    order.parameters = request.variables;
    order.scale = scaleName(request.scaleMode);
    order.background = backgroundOf(request.background);
    order.poster = true;
    // The first frame runs once a frame's time has passed: at a high rate it comes at once. The page stops
    // the player as soon as it is drawn, so no later frame runs.
    order.frameRate = 60;
    order.width = size.width();
    order.height = size.height();
    m_busyGeneration = m_page->loadMovie(order);
    // A page that is still starting (the engine, the player's code) gets its start-up time on top; one
    // that never starts cannot hold the queue for ever.
    constexpr int kStartUpMs = 30000;
    m_timeout->start(m_page->pageReady() ? m_frameTimeoutMs : m_frameTimeoutMs + kStartUpMs);
}

void PosterCache::finish(const QImage& drawn, bool keepIt) {
    if (!m_busy) {
        return;
    }
    m_timeout->stop();
    QImage image = drawn;
    if (!image.isNull() && image.size() != m_drawSize) {
        image = image.scaled(m_drawSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // A movie that timed out is not kept: it may draw next time, when the machine is less busy.
    if (keepIt) {
        keep(m_busyKey, image);
        writeToDisk(m_busyKey, image);
    }
    std::vector<Waiting> waiters = std::move(m_busyWaiters);
    m_busyWaiters.clear();
    m_busy = false;
    m_busyKey.clear();
    for (Waiting& waiting : waiters) {
        deliver(waiting, image);
    }
    QTimer::singleShot(0, this, [this] { next(); });
}

void PosterCache::keep(const QString& key, const QImage& image) {
    const qint64 bytes = image.sizeInBytes() + 256;
    if (bytes > m_limit) {
        return;
    }
    if (const auto old = m_images.find(key); old != m_images.end()) {
        m_bytes -= old->image.sizeInBytes() + 256;
        m_uses.erase(old->use);
        m_images.erase(old);
    }
    while (m_bytes + bytes > m_limit && !m_uses.empty()) {
        const auto oldest = m_images.find(m_uses.back());
        m_bytes -= oldest->image.sizeInBytes() + 256;
        m_images.erase(oldest);
        m_uses.pop_back();
    }
    m_uses.push_front(key);
    m_images.insert(key, Kept{image, m_uses.begin()});
    m_bytes += bytes;
}

void PosterCache::setDiskFolder(const QString& folder, qint64 limitBytes) {
    m_diskFolder = folder;
    m_diskLimit = limitBytes;
    m_diskBytes = -1;
}

QString PosterCache::diskPath(const QString& key) const {
    // The key holds paths and variables of any length: its hash names the file.
    return m_diskFolder + u'/' +
           QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex()) +
           QStringLiteral(".png");
}

QImage PosterCache::stored(const PosterRequest& request) {
    const QString key = keyOf(request);
    if (const auto kept = m_images.find(key); kept != m_images.end()) {
        m_uses.splice(m_uses.begin(), m_uses, kept->use);
        return kept->image;
    }
    if (m_diskFolder.isEmpty()) {
        return {};
    }
    const QString path = diskPath(key);
    QImage image(path);
    if (image.isNull() || image.size() != request.size) {
        return {};
    }
    // Its time says when it was last used: the oldest go first when the folder is full.
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, AT_SYMLINK_NOFOLLOW);
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    keep(key, image);
    return image;
}

void PosterCache::store(const PosterRequest& request, const QImage& image) {
    if (image.isNull()) {
        return;
    }
    QImage poster = image;
    if (request.size.isValid() && poster.size() != request.size) {
        poster = poster.scaled(request.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QString key = keyOf(request);
    keep(key, poster);
    writeToDisk(key, poster);
}

void PosterCache::writeToDisk(const QString& key, const QImage& image) {
    // Only what was drawn goes to disk: a movie that cannot be shown today may be mended by tomorrow.
    if (m_diskFolder.isEmpty() || image.isNull()) {
        return;
    }
    const QString path = diskPath(key);
    QSaveFile file(path); // a reader never sees half a file
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        return;
    }
    if (m_diskBytes >= 0) {
        m_diskBytes += QFileInfo(path).size();
    }
    if (m_diskBytes < 0 || m_diskBytes > m_diskLimit) {
        pruneDisk();
    }
}

void PosterCache::pruneDisk() {
    // Oldest use first (to the nanosecond: posters are used many a millisecond apart); a full folder is
    // pruned to three quarters, so that it is not pruned again at every poster.
    struct File {
        QString path;
        qint64 bytes;
        std::pair<qint64, long> used;
    };
    std::vector<File> files;
    qint64 bytes = 0;
    for (const QFileInfo& info :
         QDir(m_diskFolder).entryInfoList({QStringLiteral("*.png")}, QDir::Files | QDir::NoSymLinks)) {
        struct stat st {};
        if (::lstat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        files.push_back({info.absoluteFilePath(), qint64(st.st_size), {qint64(st.st_mtim.tv_sec), st.st_mtim.tv_nsec}});
        bytes += qint64(st.st_size);
    }
    if (bytes > m_diskLimit) {
        std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.used < b.used; });
        for (const File& file : files) {
            if (bytes <= m_diskLimit / 4 * 3) {
                break;
            }
            if (QFile::remove(file.path)) {
                bytes -= file.bytes;
            }
        }
    }
    m_diskBytes = bytes;
}

void PosterCache::clear() {
    m_images.clear();
    m_uses.clear();
    m_bytes = 0;
}

void PosterCache::setMemoryLimit(qint64 bytes) {
    m_limit = bytes;
    while (m_bytes > m_limit && !m_uses.empty()) {
        const auto oldest = m_images.find(m_uses.back());
        m_bytes -= oldest->image.sizeInBytes() + 256;
        m_images.erase(oldest);
        m_uses.pop_back();
    }
}

void PosterCache::setFrameTimeout(int milliseconds) {
    m_frameTimeoutMs = milliseconds;
}

} // namespace glw::qt::movie
