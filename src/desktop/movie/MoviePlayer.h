// The movie player control's desktop side: a live player widget (MovieView) and posters of movies'
// first frames (PosterCache), both playing SWF movies with Ruffle's web build inside Qt WebEngine.
//
// A live view costs a web page and ticks while it plays; a sheet plays a page of thumbnail cells on one
// web page; a poster costs a cached image. Use live views where a user watches one movie, a sheet for
// pages of thumbnails and posters for small fixed pictures such as panel titles (see docs/movies.md). Nothing here
// reaches the network: the player and the movies load from local files, and every other request is
// refused. A movie never navigates its window or opens one; its links are reported through signals.
// Everything here lives on the GUI thread and needs a QApplication; views, sheets and caches go before it
// does.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <list>
#include <string_view>
#include <vector>

class QTimer;
class QWebEngineView;

namespace glw::qt::movie {

class MoviePage;

// True when the Flash player's files are installed (scripts/setup-ruffle); without them views and posters
// show only their background. Needs a QCoreApplication.
bool playerAvailable();

// The movie control's Movie text (a system path, optionally followed by "?" and variables) and its
// FlashVars, as a movie view takes them: the host path and the variables joined with "&".
struct MovieSource {
    QString hostPath;
    QString variables;
};
MovieSource movieSource(std::string_view movie, std::string_view flashVars);

// The player's name for a ScaleMode value: 0 showAll, 1 noBorder, 2 exactFit, 3 noScale; other values
// are showAll.
QString scaleName(int scaleMode);

// Many live players on one web page: the thumbnail cells of one container (a frame holding a page of
// them). One page with a player per cell costs far less than a view per cell: one page to draw, one
// compositor frame for all. The sheet lies under every control of its container and covers the cells'
// rectangles; a cell's widget paints nothing, so its player shows through while the cell keeps its clicks,
// its focus and its place in the stacking order (controls over the cells still show above them). A
// player follows its cell's place and visibility. All players stop while the window is minimised or
// hidden, or after suspend(). Settings made in one turn of the event loop load each movie once.
class MovieSheet : public QWidget {
    Q_OBJECT
public:
    // What one cell plays.
    struct CellMovie {
        QString hostPath; // empty: no movie, the cell shows its background
        QString variables;
        int scaleMode = 0;
        QString background;   // "#RRGGBB", or empty for the movie's own
        bool capture = false; // hand the first frame back through firstFrameDrawn (to keep it as a poster)
        bool operator==(const CellMovie&) const = default;
    };

    explicit MovieSheet(QWidget* container);
    ~MovieSheet() override;
    // The sheet of the container (a direct child), made on first use.
    static MovieSheet* of(QWidget* container);

    // Takes a widget of the container as a cell, with no movie yet; it leaves when it is destroyed.
    void addCell(QWidget* cell);
    void removeCell(QWidget* cell);
    int cellCount() const { return static_cast<int>(m_cells.size()); }
    // Loads the cell's movie, unless it plays those settings already (a resize asks again).
    void setMovie(QWidget* cell, const CellMovie& movie);
    // Stops every player until resume(); minimising or hiding the window stops them too.
    void suspend();
    void resume();
    // Whether the players run: not suspended, the window shown and not minimised, some cell shown, and the
    // sheet not covered whole by a live view or an opaque widget above it (the edit view's preview).
    bool isPlaying() const { return m_playing; }

signals:
    // The first frame of the cell's current movie is drawn.
    void firstFrameShown(QWidget* cell);
    // The first frame of a movie set with capture, as the cell's player drew it.
    void firstFrameDrawn(QWidget* cell, const QImage& image);
    // The cell shows only its background: no movie, or one that cannot be shown.
    void movieEmpty(QWidget* cell);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Cell {
        QPointer<QWidget> widget;
        int slot = 0;
        CellMovie movie;
        bool loaded = false;  // the movie has been handed to the page
        bool pending = false; // a new movie waits for the next flush
        int generation = 0;
        QRect rect; // in the sheet
        bool shown = false;
    };

    Cell* cellOf(const QWidget* widget);
    Cell* cellOfGeneration(int gen);
    void scheduleLayout();
    void layOut();
    void scheduleFlush();
    void flush();
    void updatePlaying();
    bool covered() const;
    void repaintSoon();

    QWebEngineView* m_web = nullptr;
    MoviePage* m_page = nullptr;
    QPointer<QWidget> m_window; // the top-level window watched for minimising and hiding
    std::vector<Cell> m_cells;
    int m_nextSlot = 0;
    QTimer* m_flushTimer = nullptr;
    QTimer* m_coverCheck = nullptr; // nothing tells a widget that another now covers it: it looks
    bool m_layoutScheduled = false;
    bool m_repaintScheduled = false;
    bool m_suspended = false;
    bool m_playing = true;
    QColor m_pageBackground;
};

// A live player. Settings take effect together on the next turn of the event loop, so that setting the
// scale, the background and then the movie loads the movie once. The player cannot change the scale,
// the background, the window mode or the variables of a running movie: changing any of them restarts the
// movie with the new values. A movie that cannot be shown (missing, not a movie, one the player fails
// on) leaves the view showing its background. A hidden view stops its movie by itself and goes on when
// shown again.
class MovieView : public QWidget {
    Q_OBJECT
public:
    explicit MovieView(QWidget* parent = nullptr);
    ~MovieView() override;

    // Loads and starts the movie at hostPath (empty: no movie) with its variables ("a=1&b=2", the
    // values URL-encoded as in FlashVars), replacing the one shown, even when it is the same again.
    void setMovie(const QString& hostPath, const QString& variables = {});
    const QString& moviePath() const { return m_path; }
    void setScaleMode(int scaleMode);
    // "#RRGGBB" draws behind the movie instead of its own background; anything else keeps the movie's.
    void setBackground(const QString& colour);
    // Window mode "Transparent": no background at all, so what lies behind the view shows through.
    void setTransparent(bool transparent);
    // Starts the player's clock again after suspend(); the movie's own stop() actions still hold.
    void play();
    // Sets a variable of the movie's root: the movie restarts with it among its variables, so that a
    // text field bound to it (a panel title's "txtTitle") shows the value from its first frame.
    void setVariable(const QString& name, const QString& value);
    // Stops the player's clock (frames, scripts and sound) and starts it again; the frame shown stays.
    // A view that is hidden stops by itself and goes on when shown, unless suspended.
    void suspend();
    void resume();
    bool isSuspended() const { return m_suspended; }
    bool isTransparent() const { return m_transparent; }
    // Whether a user's click inside the view answers the address the movie asks for now, and uses that
    // click up: each press of a mouse button inside the view answers one address, asked for while the button
    // is down or within kClickAnswerMs after it goes up. A movie that asks unprompted (in its first frame,
    // or in every frame) is answered by none, so it cannot flood the desktop with browsers.
    bool takeClick();
    static constexpr int kClickAnswerMs = 1500;

signals:
    // The movie ran fscommand(command, args) (or getURL "FSCommand:command"), once per call.
    void fsCommand(const QString& command, const QString& args);
    // The movie asked to open an address (getURL to a window, or to this one); nothing was opened.
    void urlRequested(const QString& url, const QString& target);
    // The current movie's first frame is drawn.
    void firstFrameShown();
    // The view shows only its background: no movie, or one that cannot be shown.
    void movieEmpty();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleLoad();
    void load();
    // Makes the engine draw the movie's first frame again into the view (see the definition for why).
    void repaintFirstFrame();
    // Watches the widgets the engine puts in the view for the user's clicks.
    void watchClicks(QObject* object);

    QWebEngineView* m_web = nullptr;
    MoviePage* m_page = nullptr;
    QString m_path;
    QString m_variables;
    std::vector<std::pair<QString, QString>> m_setVariables;
    int m_scaleMode = 0;
    QString m_background;
    bool m_transparent = false;
    bool m_suspended = false;
    bool m_loadScheduled = false;
    int m_generation = 0;
    bool m_clickUnanswered = false; // a press inside the view that no address has used yet
    bool m_buttonDown = false;
    QElapsedTimer m_sinceRelease;
};

// What a poster shows: the first frame of the movie with its variables, drawn at size as a view of that
// size with that scale mode and background would draw it.
struct PosterRequest {
    QString hostPath;
    QString variables;
    QSize size;
    int scaleMode = 0;
    QString background; // "#RRGGBB", or empty for the movie's own
};

// Posters of movies: each one is drawn once, by one hidden player page started ahead (it goes after three
// seconds without requests and starts again with the next), and kept by file,
// its modification time and size, variables, poster size, scale and background. Requests are answered
// in order, one movie at a time, always after request() has returned. Posters play no sound. A movie
// whose first frame does not come within the frame timeout gets a null poster that is not kept, so that
// asking again tries again; one that cannot be shown gets a null poster that is kept until the file
// changes. With a disk folder, drawn posters are kept there too, for the next run.
class PosterCache : public QObject {
    Q_OBJECT
public:
    // Delivers the poster; a null image when the movie cannot be shown (draw the background instead).
    using Callback = std::function<void(const QImage&)>;

    explicit PosterCache(QObject* parent = nullptr);
    ~PosterCache() override;

    // Asks for a poster on behalf of receiver (a cell): done runs later with the image, unless the
    // receiver is destroyed first or asks again (a cell that moved on to another movie gets only its
    // newest poster). A null receiver is allowed: done always runs.
    void request(QObject* receiver, const PosterRequest& request, Callback done);
    // Drops the receiver's waiting requests.
    void cancel(QObject* receiver);
    // Starts the hidden page now, so that the first poster does not wait for the player to load.
    void prewarm();
    // Keeps posters on disk as well, in folder, which must be the user's alone (see posterCacheFolder),
    // up to limitBytes there (the least recently used go first); a later run finds them there. An empty
    // folder keeps posters in memory only (the default).
    void setDiskFolder(const QString& folder, qint64 limitBytes = kDiskLimit);
    // The poster kept for request, in memory or on disk, at once; a null image when none is kept.
    QImage stored(const PosterRequest& request);
    // Keeps image as request's poster: a first frame drawn elsewhere (a thumbnail cell's).
    void store(const PosterRequest& request, const QImage& image);
    static constexpr qint64 kDiskLimit = 32LL * 1024 * 1024;
    // Forgets every poster kept in memory (not the waiting requests, nor those on disk).
    void clear();
    // How much the kept posters may hold, in bytes; the least recently used go first. 64 MiB unless set.
    void setMemoryLimit(qint64 bytes);
    // Longest wait for a movie's first frame before it counts as one that cannot be shown (5 s unless set).
    void setFrameTimeout(int milliseconds);

    int cachedCount() const { return static_cast<int>(m_images.size()); }
    int waitingCount() const { return static_cast<int>(m_queue.size()) + (m_busy ? 1 : 0); }

signals:
    // Every waiting request has been answered.
    void idle();

private:
    struct Waiting {
        QPointer<QObject> receiver;
        bool hasReceiver = false;
        quint64 serial = 0;
        PosterRequest request;
        QString key;
        Callback done;
    };
    struct Kept {
        QImage image;
        std::list<QString>::iterator use;
    };

    static QString keyOf(const PosterRequest& request);
    void ensureRenderer();
    void releaseRenderer();
    bool wanted(const Waiting& waiting) const;
    void deliver(Waiting& waiting, const QImage& image);
    void deliverLater(Waiting waiting, const QImage& image);
    void next();
    void draw(const PosterRequest& request);
    void finish(const QImage& image, bool keepIt);
    void keep(const QString& key, const QImage& image);
    QString diskPath(const QString& key) const;
    void writeToDisk(const QString& key, const QImage& image);
    void pruneDisk();

    QWidget* m_window = nullptr; // the hidden top-level window that holds the drawing view
    QWebEngineView* m_web = nullptr;
    MoviePage* m_page = nullptr;
    std::deque<Waiting> m_queue;
    QHash<QObject*, quint64> m_latest; // each receiver's newest request
    quint64 m_serial = 0;
    bool m_busy = false;
    QString m_busyKey;
    int m_busyGeneration = 0;
    QSize m_drawSize;
    std::vector<Waiting> m_busyWaiters; // every request for the poster being drawn
    QTimer* m_timeout = nullptr;
    int m_frameTimeoutMs = 5000;
    QTimer* m_idleRelease = nullptr; // lets the page go when nothing was asked for a while
    static constexpr int kIdleReleaseMs = 3000;
    QHash<QString, Kept> m_images;
    std::list<QString> m_uses; // most recent first
    qint64 m_bytes = 0;
    qint64 m_limit = 64LL * 1024 * 1024;
    QString m_diskFolder;
    qint64 m_diskLimit = kDiskLimit;
    qint64 m_diskBytes = -1; // what the folder holds; -1 until it has been looked at
};

} // namespace glw::qt::movie
