// One web page holding the Flash player: it loads movies on request, reports their first frame, script
// commands and link requests, and refuses every navigation and new window.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <map>
#include <optional>
#include <string>

namespace glw::qt::movie {

// What one load of the page's player is given.
struct PageLoad {
    QString url;        // file URL of the movie; empty for no movie (the background only)
    QByteArray bytes;   // the movie's bytes, or empty for the page to read them from url
    QString parameters; // the movie's variables, "a=1&b=2"
    QString scale;      // showAll, noBorder, exactFit or noScale
    QString background; // "#RRGGBB", or empty for the movie's own
    bool transparent = false;
    bool poster = false;    // stop on the first frame and send it back as an image
    bool capture = false;   // send the first frame back as an image too, and play on
    bool suspended = false; // stop once the first frame is drawn
    double frameRate = 0;   // above 0: play at this rate instead of the movie's
    int width = 0;          // above 0: the player's size in pixels instead of the slot's
    int height = 0;
    int slot = 0;       // which player of the page: a page of thumbnails has one per cell
    QRect rect;         // the slot's place in the page in pixels; null: the whole page
    bool shown = true;  // a slot that is not shown stops its movie and draws nothing
    bool still = false; // the movie's picture never changes after its first frame: it stops there
};

// "#RRGGBB" in upper case, or empty for anything else (the movie's own background).
QString backgroundOf(const QString& colour);

// A movie's variables ("a=1&b=2", from its Movie text and FlashVars) followed by those set since, each name
// and value URL-encoded as FlashVars carry them. The pairs hold QString or UTF-8 std::string.
inline QString asText(const QString& text) {
    return text;
}
inline QString asText(const std::string& text) {
    return QString::fromStdString(text);
}
template <typename Pairs> QString joinVariables(const QString& variables, const Pairs& extra) {
    QString joined = variables;
    for (const auto& [name, value] : extra) {
        if (!joined.isEmpty()) {
            joined += QLatin1Char('&');
        }
        joined += QString::fromLatin1(QUrl::toPercentEncoding(asText(name))) + QLatin1Char('=') +
                  QString::fromLatin1(QUrl::toPercentEncoding(asText(value)));
    }
    return joined;
}

// Reads a movie for a load: its file URL, bytes and whether it is still. Nothing (the view shows only its
// background) when the file cannot be read or does not start like a SWF movie; a movie above 32 MiB keeps
// only its URL and is read by the page. The movies read last are kept while their files keep their size
// and time (the empty movie and the titles are shown over and over): each is read and looked into once.
std::optional<PageLoad> readMovie(const QString& hostPath);

class MoviePage : public QWebEnginePage {
    Q_OBJECT
public:
    // A silent page plays no sound (posters, thumbnail cells). A frame interval above 0 runs the players'
    // animation frames together at most once per interval (a page of many players).
    explicit MoviePage(QObject* parent = nullptr, bool silent = false, int frameIntervalMs = 0);

    // Loads the movie into the load's slot (replacing the one shown there) once the page is ready; returns
    // the load's number, unique in the page, which the signals carry so that late reports of an earlier
    // movie can be told apart.
    int loadMovie(const PageLoad& load);
    // Moves a slot without loading its movie again; a slot not shown stops its movie until shown.
    void placeSlot(int slot, const QRect& rect, bool shown);
    // Lets the slot's player go: the slot shows nothing until its next load.
    void releaseSlot(int slot);
    // Stops and restarts the clock (frames, scripts and sound) of every player of the page.
    void suspendPlayer();
    void resumePlayer();
    // Lets every player go until the next load: the page shows nothing and costs nothing meanwhile.
    void releasePlayer();
    bool pageReady() const { return m_ready; }

signals:
    void hostReady();
    // The first frame of load number gen is on screen; image holds it for poster loads.
    void frameShown(int gen, const QImage& image);
    // The load shows nothing: no movie was given, or the player could not show it.
    void movieEmpty(int gen);
    void movieFailed(int gen, const QString& reason);
    void fsCommandRaised(int gen, const QString& command, const QString& args);
    // The movie asked to open an address (getURL): reported here, never followed.
    void urlRequested(const QString& url, const QString& target);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override;

private:
    void loadHost();
    void send(const PageLoad& load, int gen);
    bool current(int gen) const;
    static QString placeScript(int slot, const QRect& rect, bool shown);
    void handleMessage(const QByteArray& json);

    QString m_token;
    bool m_silent = false;
    int m_frameIntervalMs = 0;
    bool m_ready = false;
    bool m_hostLoadPending = false;
    int m_generation = 0;
    std::map<int, PageLoad> m_loads;  // each slot's load, replayed when the page (re)starts
    std::map<int, int> m_generations; // each slot's newest load number
    bool m_suspended = false;
};

} // namespace glw::qt::movie
