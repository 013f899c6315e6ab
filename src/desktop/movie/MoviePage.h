// One web page holding the Flash player: it loads movies on request, reports their first frame, script
// commands and link requests, and refuses every navigation and new window.
#pragma once

#include <QImage>
#include <QString>
#include <QWebEnginePage>
#include <optional>

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
    bool suspended = false; // stop once the first frame is drawn
    double frameRate = 0;   // above 0: play at this rate instead of the movie's
    int width = 0;          // above 0: the player's size in pixels instead of the page's
    int height = 0;
};

// "#RRGGBB" in upper case, or empty for anything else (the movie's own background).
QString backgroundOf(const QString& colour);

// Reads a movie for a load: its file URL and bytes. Nothing (the view shows only its background) when the
// file cannot be read or does not start like a SWF movie; a movie above 32 MiB keeps only its URL and is
// read by the page.
std::optional<PageLoad> readMovie(const QString& hostPath);

class MoviePage : public QWebEnginePage {
    Q_OBJECT
public:
    // A silent page plays no sound (posters).
    explicit MoviePage(QObject* parent = nullptr, bool silent = false);

    // Loads the movie (replacing the one shown) once the page is ready; returns the load's number, which
    // the signals carry so that late reports of an earlier movie can be told apart.
    int loadMovie(const PageLoad& load);
    // Stops and restarts the player's clock (frames, scripts and sound); applies to the current movie.
    void suspendPlayer();
    void resumePlayer();
    // Lets the player go until the next load: the page shows nothing and costs nothing meanwhile.
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
    void send(int gen);
    void handleMessage(const QByteArray& json);

    QString m_token;
    bool m_silent = false;
    bool m_ready = false;
    bool m_hostLoadPending = false;
    int m_generation = 0;
    std::optional<PageLoad> m_current; // the load to replay when the page (re)starts
    bool m_suspended = false;
};

} // namespace glw::qt::movie
