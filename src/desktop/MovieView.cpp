// The movie player control's view. With the Flash player installed, a control of its own (the preview, a
// stub's movie) plays live, and the elements of control arrays (the twelve thumbnail cells, the panel
// titles) show posters of their movie's first frame, drawn once by the shared poster cache. Without the
// player, and while a poster is on its way, the view draws its background colour, the movie's frame
// rectangle fitted by the scale mode, and the movie's file name and size. A movie that cannot be read
// leaves the control blank, as the player does.
#include "Colors.h"
#include "FormWindow.h"
#include "Layout.h"
#include "QtDriver.h"
#include "Views.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"

#include <QApplication>
#include <QPainter>
#include <QUrl>
#include <cstdlib>
#include <optional>
#include <string_view>

#ifdef GLW_HAVE_MOVIE_PLAYER
#include "desktop/movie/MoviePlayer.h"
#endif

namespace glw::qt {

namespace {

class MovieWidget : public QWidget {
public:
    struct State {
        QColor background = Qt::white;
        std::optional<forms::MovieSize> movieSize; // nullopt: no movie, or one that cannot be read
        int scaleMode = 0;
        QString name;      // the movie's file name
        QString variables; // the values the program set in the running movie (a panel's title)
    };

    using QWidget::QWidget;
    void setState(State state) {
        m_state = std::move(state);
        update();
    }
    // The movie's first frame, drawn in place of the outline; a null image goes back to the outline.
    void setPoster(const QImage& poster) {
        m_poster = poster;
        update();
    }
    // Called with the widget's new size, so that its poster can be drawn again at that size.
    std::function<void()> resized;

protected:
    void resizeEvent(QResizeEvent*) override {
        if (resized) {
            resized();
        }
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), m_state.background);
        if (!m_poster.isNull()) {
            painter.drawImage(rect(), m_poster);
            return;
        }
        if (!m_state.movieSize) {
            return;
        }
        const auto& size = *m_state.movieSize;
        const PixelBox frame = fitMovie(m_state.scaleMode, width(), height(), size.width, size.height);
        const QRect frameRect(frame.x, frame.y, frame.width, frame.height);
        const bool dark = m_state.background.lightnessF() < 0.5;
        const QColor ink = dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
        QColor tint = ink;
        tint.setAlpha(18);
        painter.fillRect(frameRect, tint);
        QColor edge = ink;
        edge.setAlpha(110);
        painter.setPen(QPen(edge, 1, Qt::DashLine));
        painter.drawRect(frameRect.adjusted(0, 0, -1, -1));

        // The text goes over the whole control: a banner's frame may be far flatter than a line of text.
        const QRect textRect = rect().adjusted(3, 2, -3, -2);
        if (textRect.width() < 24 || textRect.height() < 8) {
            return;
        }
        QFont font = painter.font();
        font.setPointSizeF(7.5);
        painter.setFont(font);
        painter.setPen(ink);
        const int lineHeight = painter.fontMetrics().height();
        QStringList lines;
        if (!m_state.variables.isEmpty()) {
            lines << m_state.variables; // a panel's title: the movie's name follows when there is room
        }
        lines << m_state.name << QStringLiteral("%1 x %2 px").arg(size.width).arg(size.height);
        while (lines.size() > 1 && lineHeight * int(lines.size()) > textRect.height()) {
            lines.removeLast();
        }
        QStringList shown;
        for (const QString& line : lines) {
            shown << painter.fontMetrics().elidedText(line, Qt::ElideRight, textRect.width());
        }
        painter.drawText(textRect, Qt::AlignCenter, shown.join(u'\n'));
    }

private:
    State m_state;
    QImage m_poster;
};

#ifdef GLW_HAVE_MOVIE_PLAYER
// Whether movies play: the player is installed, and GLW_MOVIES=outline does not ask for the outlines only.
bool moviesPlay() {
    static const bool play = [] {
        const char* choice = std::getenv("GLW_MOVIES");
        return movie::playerAvailable() && !(choice && std::string_view(choice) == "outline");
    }();
    return play;
}

// The one poster cache of the process, started ahead of the first page of cells.
movie::PosterCache& posters() {
    static movie::PosterCache* cache = [] {
        auto* c = new movie::PosterCache(qApp);
        c->prewarm();
        return c;
    }();
    return *cache;
}
#endif

// The movie's variables as the player takes them: those of the Movie text and FlashVars, then those the
// program set in the running movie (a panel's "txtTitle"), URL-encoded.
QString variablesOf(const forms::FlashPlayer& player, const QString& fromSource) {
    QString variables = fromSource;
    for (const auto& [name, value] : player.variables()) {
        if (!variables.isEmpty()) {
            variables += u'&';
        }
        variables += QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(name))) + u'=' +
                     QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(value)));
    }
    return variables;
}

class MovieView : public ControlView {
public:
    MovieView(FormWindow& window, forms::FlashPlayer& player) : ControlView(window, player), m_player(player) {}

    QSize defaultSize() const override { return QSize(120, 90); }

protected:
    QWidget* createWidget(QWidget* parent) override {
#ifdef GLW_HAVE_MOVIE_PLAYER
        // A control of its own is where a user watches one movie; array elements come in pages of many.
        if (moviesPlay() && !m_player.isArrayElement()) {
            return createLive(parent);
        }
#endif
        auto* widget = new MovieWidget(parent);
        widget->setFocusPolicy(m_player.canFocus() ? Qt::ClickFocus : Qt::NoFocus);
#ifdef GLW_HAVE_MOVIE_PLAYER
        m_posters = moviesPlay();
        widget->resized = [this] { requestPoster(); };
#endif
        return widget;
    }

    void applyOwn(forms::PropertyId property) override {
#ifdef GLW_HAVE_MOVIE_PLAYER
        if (m_live) {
            applyLive(property);
            return;
        }
#endif
        if (!wants(property, forms::PropertyId::Movie) && !wants(property, forms::PropertyId::BGColor) &&
            !wants(property, forms::PropertyId::ScaleMode) && !wants(property, forms::PropertyId::FlashVars) &&
            !wants(property, forms::FlashPlayer::kVariableSet)) {
            return;
        }
        if (wants(property, forms::PropertyId::Movie)) {
            probe();
        }
        MovieWidget::State state;
        if (auto colour = fromHtmlColor(std::string(m_player.BGColor))) {
            state.background = *colour;
        }
        state.movieSize = m_size;
        state.scaleMode = m_player.ScaleMode;
        state.name = QString::fromStdString(platform::splitSystemPath(m_player.moviePath()).second);
        QStringList values;
        for (const auto& [name, value] : m_player.variables()) {
            if (!value.empty() && value != " ") {
                values << QString::fromStdString(value).trimmed();
            }
        }
        state.variables = values.join(u' ');
        static_cast<MovieWidget*>(m_widget.data())->setState(std::move(state));
#ifdef GLW_HAVE_MOVIE_PLAYER
        requestPoster();
#endif
    }

private:
    void probe() {
        m_size.reset();
        const std::string path = m_player.moviePath();
        const auto& movieProbe = m_player.runtime().services().movieProbe;
        if (path.empty() || !movieProbe) {
            return;
        }
        const std::string host = platform::toHostPath(path);
        if (!host.empty()) {
            m_size = movieProbe(host);
        }
    }

#ifdef GLW_HAVE_MOVIE_PLAYER
    QWidget* createLive(QWidget* parent) {
        auto* view = new movie::MovieView(parent);
        m_live = view;
        view->setFocusPolicy(m_player.canFocus() ? Qt::ClickFocus : Qt::NoFocus);
        QObject::connect(view, &movie::MovieView::fsCommand, this, [this](const QString& command, const QString& args) {
            user("fscommand " + m_player.fullName(),
                 [this, command, args] { m_player.userFSCommand(command.toStdString(), args.toStdString()); });
        });
        // A movie's link goes to the shell, as the player control opens it, and nowhere else.
        QObject::connect(view, &movie::MovieView::urlRequested, this, [this](const QString& url, const QString&) {
            user("getURL " + m_player.fullName(), [this, url] { m_player.runtime().ShellOpen(url.toStdString()); });
        });
        return view;
    }

    void applyLive(forms::PropertyId property) {
        if (wants(property, forms::PropertyId::ScaleMode)) {
            m_live->setScaleMode(m_player.ScaleMode);
        }
        if (wants(property, forms::PropertyId::BGColor)) {
            m_live->setBackground(QString::fromStdString(m_player.BGColor));
        }
        if (wants(property, forms::PropertyId::WMode)) {
            m_live->setTransparent(platform::equalsNoCase(m_player.WMode(), "Transparent"));
        }
        if (wants(property, forms::PropertyId::Movie) || wants(property, forms::PropertyId::FlashVars)) {
            const auto source = movie::movieSource(m_player.Movie(), m_player.FlashVars());
            m_live->setMovie(source.hostPath, source.variables);
        }
        if (property == forms::FlashPlayer::kVariableSet) {
            for (const auto& [name, value] : m_player.variables()) {
                m_live->setVariable(QString::fromStdString(name), QString::fromStdString(value));
            }
        }
        if (property == forms::FlashPlayer::kPlayCalled) {
            m_live->play();
        }
    }

    void requestPoster() {
        auto* widget = static_cast<MovieWidget*>(m_widget.data());
        if (!m_posters || !widget || widget->width() <= 0 || widget->height() <= 0) {
            return;
        }
        const auto source = movie::movieSource(m_player.Movie(), m_player.FlashVars());
        if (source.hostPath.isEmpty()) {
            posters().cancel(widget);
            widget->setPoster({});
            return;
        }
        movie::PosterRequest request;
        request.hostPath = source.hostPath;
        request.variables = variablesOf(m_player, source.variables);
        request.size = widget->size();
        request.scaleMode = m_player.ScaleMode;
        request.background = QString::fromStdString(m_player.BGColor);
        QPointer<MovieWidget> target(widget);
        posters().request(widget, request, [target](const QImage& image) {
            if (target) {
                target->setPoster(image);
            }
        });
    }

    movie::MovieView* m_live = nullptr;
    bool m_posters = false;
#endif

    forms::FlashPlayer& m_player;
    std::optional<forms::MovieSize> m_size;
};

} // namespace

std::unique_ptr<ControlView> makeMovieView(FormWindow& w, forms::FlashPlayer& c) {
    return std::make_unique<MovieView>(w, c);
}

} // namespace glw::qt
