// Movie controls that play live, thumbnail cells on a sheet, and posters for the other elements of control
// arrays.
#include "PlayerViews.h"

#include "MovieEngine.h"
#include "MoviePage.h"
#include "MoviePlayer.h"
#include "PlayerFiles.h"
#include "base/Ascii.h"
#include "desktop/FormWindow.h"
#include "forms/Trace.h"
#include "platform/WinPath.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace glw::qt::movie {

namespace {

class LiveMovieView : public qt::ControlView {
public:
    LiveMovieView(qt::FormWindow& window, forms::FlashPlayer& player) : ControlView(window, player), m_player(player) {}

    QSize defaultSize() const override { return QSize(120, 90); }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* view = new MovieView(parent);
        view->setFocusPolicy(m_player.canFocus() ? Qt::ClickFocus : Qt::NoFocus);
        QObject::connect(view, &MovieView::fsCommand, this, [this](const QString& command, const QString& args) {
            user("fscommand " + m_player.fullName(),
                 [this, command, args] { m_player.userFSCommand(command.toStdString(), args.toStdString()); });
        });
        // A movie's link goes to the shell, as the player control opens it, and nowhere else: one for each
        // click of the user's inside the movie. The addresses a movie asks for unprompted are only traced.
        QObject::connect(view, &MovieView::urlRequested, this, [this, view](const QString& url, const QString&) {
            if (!view->takeClick()) {
                forms::Trace& trace = m_player.runtime().trace();
                if (trace.enabled()) {
                    trace.write("getURL " + m_player.fullName() + " " + forms::Trace::quote(url.toStdString()) +
                                " unanswered: no click");
                }
                return;
            }
            user("getURL " + m_player.fullName(), [this, url] { m_player.runtime().ShellOpen(url.toStdString()); });
        });
        return view;
    }

    void applyOwn(forms::PropertyId property) override {
        auto* live = static_cast<MovieView*>(m_widget.data());
        if (wants(property, forms::PropertyId::ScaleMode)) {
            live->setScaleMode(m_player.ScaleMode);
        }
        if (wants(property, forms::PropertyId::BGColor)) {
            live->setBackground(QString::fromStdString(m_player.BGColor));
        }
        if (wants(property, forms::PropertyId::WMode)) {
            live->setTransparent(base::iequals(m_player.WMode(), "Transparent"));
        }
        if (wants(property, forms::PropertyId::Movie) || wants(property, forms::PropertyId::FlashVars)) {
            const auto source = movieSource(m_player.Movie(), m_player.FlashVars());
            live->setMovie(source.hostPath, source.variables);
        }
        if (wants(property, forms::FlashPlayer::kVariableSet)) { // a rebuilt view too
            for (const auto& [name, value] : m_player.variables()) {
                live->setVariable(QString::fromStdString(name), QString::fromStdString(value));
            }
        }
        if (property == forms::FlashPlayer::kPlayCalled) {
            live->play();
        }
    }

private:
    forms::FlashPlayer& m_player;
};

class PosterMovieView : public qt::OutlineMovieView {
public:
    PosterMovieView(qt::FormWindow& window, forms::FlashPlayer& player, PosterCache& posters)
        : OutlineMovieView(window, player), m_posters(posters) {}

protected:
    void posterWanted() override {
        qt::MovieWidget* widget = movieWidget();
        if (!widget || widget->width() <= 0 || widget->height() <= 0) {
            return;
        }
        const auto source = movieSource(m_player.Movie(), m_player.FlashVars());
        if (source.hostPath.isEmpty()) {
            m_posters.cancel(widget);
            widget->setPoster({});
            return;
        }
        PosterRequest request;
        request.hostPath = source.hostPath;
        request.variables = joinVariables(source.variables, m_player.variables());
        request.size = widget->size();
        request.scaleMode = m_player.ScaleMode;
        request.background = QString::fromStdString(m_player.BGColor);
        QPointer<qt::MovieWidget> target(widget);
        m_posters.request(widget, request, [target](const QImage& image) {
            if (target) {
                target->setPoster(image);
            }
        });
    }

private:
    PosterCache& m_posters;
};

// A thumbnail cell: its movie plays on the sheet of its container, under the cell's widget, which paints
// nothing and keeps the cell's clicks and focus. Until the movie's first frame is on the screen the widget
// paints the movie's poster where one is kept (a former run's, on disk): the player engine takes seconds to
// start, the poster comes at once. A movie without a poster hands its first frame back to be kept.
class SheetCellView : public qt::OutlineMovieView {
public:
    SheetCellView(qt::FormWindow& window, forms::FlashPlayer& player, PosterCache& posters)
        : OutlineMovieView(window, player), m_posters(posters) {}

protected:
    QWidget* createWidget(QWidget* parent) override {
        QWidget* widget = OutlineMovieView::createWidget(parent);
        static_cast<qt::MovieWidget*>(widget)->setSeeThrough(true);
        MovieSheet::of(parent)->addCell(widget);
        m_movie.reset();
        return widget;
    }

    void posterWanted() override {
        qt::MovieWidget* widget = movieWidget();
        if (!widget) {
            return;
        }
        const auto source = movieSource(m_player.Movie(), m_player.FlashVars());
        MovieSheet::CellMovie movie;
        movie.hostPath = source.hostPath;
        movie.variables = joinVariables(source.variables, m_player.variables());
        movie.scaleMode = m_player.ScaleMode;
        movie.background = QString::fromStdString(m_player.BGColor);
        auto* sheet = widget->parentWidget()
                          ? widget->parentWidget()->findChild<MovieSheet*>(QString(), Qt::FindDirectChildrenOnly)
                          : nullptr;
        if (!sheet) {
            return;
        }
        watch(sheet);
        // The same movie again (a resize): the player goes on at the new size, its picture stays.
        if (m_movie && *m_movie == movie) {
            sheet->setMovie(widget, *m_cellMovie);
            return;
        }
        m_movie = movie;
        ++m_serial;
        m_request = PosterRequest{movie.hostPath, movie.variables, widget->size(), movie.scaleMode, movie.background};
        const QImage poster = movie.hostPath.isEmpty() ? QImage() : m_posters.stored(m_request);
        movie.capture = poster.isNull() && !movie.hostPath.isEmpty();
        m_cellMovie = movie;
        widget->setPoster(poster);
        widget->setSeeThrough(poster.isNull());
        sheet->setMovie(widget, movie);
    }

private:
    void watch(MovieSheet* sheet) {
        if (sheet == m_sheet) {
            return;
        }
        if (m_sheet) {
            QObject::disconnect(m_sheet, nullptr, this, nullptr);
        }
        m_sheet = sheet;
        const auto live = [this](QWidget* cell) {
            if (cell != movieWidget()) {
                return;
            }
            // The engine composes the player's picture a moment after the page reports it: the poster
            // stays until then, so the cell never shows blank in between.
            QTimer::singleShot(kPosterOverlapMs, this, [this, serial = m_serial] {
                if (qt::MovieWidget* widget = movieWidget(); widget && serial == m_serial) {
                    widget->setSeeThrough(true);
                    widget->setPoster({});
                }
            });
        };
        QObject::connect(sheet, &MovieSheet::firstFrameShown, this, live);
        QObject::connect(sheet, &MovieSheet::movieEmpty, this, live);
        QObject::connect(sheet, &MovieSheet::firstFrameDrawn, this, [this](QWidget* cell, const QImage& image) {
            if (cell == movieWidget() && m_cellMovie && m_cellMovie->capture) {
                m_posters.store(m_request, image);
            }
        });
    }

    static constexpr int kPosterOverlapMs = 200;
    PosterCache& m_posters;
    QPointer<MovieSheet> m_sheet;
    std::optional<MovieSheet::CellMovie> m_movie;     // what the control asks for
    std::optional<MovieSheet::CellMovie> m_cellMovie; // what the sheet was given
    PosterRequest m_request;
    quint64 m_serial = 0;
};

} // namespace

PlayerMovieViews::PlayerMovieViews() = default;

namespace {

// Shows the box over `parent` once that window is on the screen (a box shown before its window would lie
// under it where no window manager keeps boxes above their windows); without a window after a few
// seconds, on its own.
void showPlayerMissing(QPointer<QWidget> parent, const QString& text, int triesLeft) {
    if (parent && !parent->isVisible() && triesLeft > 0) {
        QTimer::singleShot(50, qApp, [parent, text, triesLeft] { showPlayerMissing(parent, text, triesLeft - 1); });
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok,
                                parent && parent->isVisible() ? parent.data() : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("glwPlayerMissing"));
    box->open();
    box->raise();
    box->activateWindow();
}

// Tells the user, once per program, that its movies cannot play and why: in a box over the window that
// was about to show one, once that window shows (the box does not hold up its construction).
void tellPlayerMissing(QWidget* window, const std::string& reason) {
    const QString text = QStringLiteral("The Flash player could not be started, so movies cannot be shown.\n\n") +
                         QString::fromStdString(reason);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    QPointer<QWidget> parent(window ? window->window() : nullptr);
    QTimer::singleShot(0, qApp, [parent, text] { showPlayerMissing(parent, text, 100); });
}

} // namespace

bool PlayerMovieViews::play(QWidget* window) {
    if (!m_play) {
        // Asked once, with the first movie control (the application object exists by then): the player's
        // files are there and whole, and GLW_MOVIES=outline does not ask for outlines only. A player that
        // cannot start is said once; its controls then show their outlines.
        const char* choice = std::getenv("GLW_MOVIES");
        const bool outlines = choice && std::string_view(choice) == "outline";
        const auto folder = playerFolder();
        if (!folder && !outlines) {
            tellPlayerMissing(window, folder.error().detail);
        }
        m_play = folder.ok() && !outlines;
        m_posterCells = choice && std::string_view(choice) == "posters";
    }
    return *m_play;
}

PlayerMovieViews::~PlayerMovieViews() = default; // the cache belongs to the application object

PosterCache& PlayerMovieViews::posters() {
    if (!m_posters) {
        // Started ahead of the first page of cells; it goes with the application, after every view.
        m_posters = new PosterCache(qApp);
        // Kept on disk for the next run, in the user's own cache; none where no folder of the user's is
        // safe to write.
        if (auto folder = safeCacheFolder(userCacheRoots("posters")); folder) {
            m_posters->setDiskFolder(QString::fromStdString(*folder));
        }
        m_posters->prewarm();
    }
    return *m_posters;
}

std::unique_ptr<qt::ControlView> PlayerMovieViews::makeView(qt::FormWindow& window, forms::FlashPlayer& player) {
    if (!play(&window)) {
        return nullptr;
    }
    // A control of its own is where a user watches one movie. Array elements come in pages of many: those
    // the user picks from (they take the focus: thumbnail cells) play together on one sheet per container;
    // the others (panel titles) are small fixed pictures, drawn once as posters.
    if (!player.isArrayElement()) {
        return std::make_unique<LiveMovieView>(window, player);
    }
    if (player.canFocus() && !m_posterCells) {
        return std::make_unique<SheetCellView>(window, player, posters());
    }
    return std::make_unique<PosterMovieView>(window, player, posters());
}

} // namespace glw::qt::movie
