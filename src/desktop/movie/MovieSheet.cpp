// The sheet of live thumbnail cells: one page, a player per cell, kept over the cells' rectangles.
#include "MoviePage.h"
#include "MoviePlayer.h"

#include <QEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace glw::qt::movie {

namespace {

// Loads wait this long for more: a page change sets each cell to the empty movie and then to its clip,
// letting the event loop run in between; both usually fall in one flush.
constexpr int kFlushDelayMs = 15;

// The players' animation frames run together at most this often (see hostPageHtml): about 30 pictures a
// second for the whole page, whatever each clip's own frame rate.
constexpr int kFrameIntervalMs = 33;

// How often the sheet looks whether a widget above it covers it whole.
constexpr int kCoverCheckMs = 400;

} // namespace

MovieSheet::MovieSheet(QWidget* container) : QWidget(container) {
    setObjectName(QStringLiteral("movieSheet"));
    // Clicks go to the cells above the sheet, and between the cells to the container.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_web = new QWebEngineView(this);
    m_web->setContextMenuPolicy(Qt::NoContextMenu);
    m_web->setAcceptDrops(false);
    m_web->setFocusPolicy(Qt::NoFocus);
    // Cells play no sound: twelve clips at once would be noise, and the engine plays at most 16 audio
    // streams per program, which the live views keep. A page without sound also starts each movie faster.
    m_page = new MoviePage(m_web, true, kFrameIntervalMs);
    m_web->setPage(m_page);
    layout->addWidget(m_web);
    // Below every control of the container: the form's stacking puts its controls above, in their order.
    lower();
    hide();

    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushDelayMs);
    connect(m_flushTimer, &QTimer::timeout, this, &MovieSheet::flush);
    m_coverCheck = new QTimer(this);
    m_coverCheck->setInterval(kCoverCheckMs);
    connect(m_coverCheck, &QTimer::timeout, this, &MovieSheet::updatePlaying);
    m_coverCheck->start();

    connect(m_page, &MoviePage::frameShown, this, [this](int gen, const QImage& image) {
        if (Cell* cell = cellOfGeneration(gen)) {
            repaintSoon();
            QPointer<QWidget> widget = cell->widget;
            emit firstFrameShown(widget);
            if (widget && !image.isNull()) {
                emit firstFrameDrawn(widget, image);
            }
        }
    });
    connect(m_page, &MoviePage::movieEmpty, this, [this](int gen) {
        if (Cell* cell = cellOfGeneration(gen)) {
            emit movieEmpty(cell->widget);
        }
    });
    m_window = window();
    if (m_window) {
        m_window->installEventFilter(this);
    }
}

MovieSheet::~MovieSheet() = default;

MovieSheet* MovieSheet::of(QWidget* container) {
    if (auto* sheet = container->findChild<MovieSheet*>(QString(), Qt::FindDirectChildrenOnly)) {
        return sheet;
    }
    return new MovieSheet(container);
}

MovieSheet::Cell* MovieSheet::cellOf(const QWidget* widget) {
    for (Cell& cell : m_cells) {
        if (cell.widget == widget) {
            return &cell;
        }
    }
    return nullptr;
}

MovieSheet::Cell* MovieSheet::cellOfGeneration(int gen) {
    for (Cell& cell : m_cells) {
        if (cell.loaded && cell.generation == gen && cell.widget) {
            return &cell;
        }
    }
    return nullptr;
}

void MovieSheet::addCell(QWidget* widget) {
    if (!widget || cellOf(widget)) {
        return;
    }
    Cell cell;
    cell.widget = widget;
    cell.slot = m_nextSlot++;
    m_cells.push_back(cell);
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this](QObject* gone) { removeCell(static_cast<QWidget*>(gone)); });
    scheduleLayout();
}

void MovieSheet::removeCell(QWidget* widget) {
    for (auto it = m_cells.begin(); it != m_cells.end(); ++it) {
        // A destroyed widget's pointer is already null: those go too.
        if (it->widget == widget || !it->widget) {
            if (it->widget) {
                it->widget->removeEventFilter(this);
            }
            m_page->releaseSlot(it->slot);
            m_cells.erase(it);
            scheduleLayout();
            return;
        }
    }
}

void MovieSheet::setMovie(QWidget* widget, const CellMovie& movie) {
    Cell* cell = cellOf(widget);
    if (!cell || (cell->movie == movie && (cell->loaded || cell->pending))) {
        return;
    }
    cell->movie = movie;
    cell->pending = true;
    scheduleFlush();
}

void MovieSheet::scheduleFlush() {
    if (!m_flushTimer->isActive()) {
        m_flushTimer->start();
    }
}

void MovieSheet::flush() {
    if (m_layoutScheduled) {
        layOut(); // the slots' places go with their loads
    }
    for (Cell& cell : m_cells) {
        if (!cell.pending || !cell.widget) {
            continue;
        }
        cell.pending = false;
        // A movie that cannot be read is not handed to the player: the cell shows its background.
        PageLoad load = readMovie(cell.movie.hostPath).value_or(PageLoad{});
        load.parameters = cell.movie.variables;
        load.scale = scaleName(cell.movie.scaleMode);
        load.background = backgroundOf(cell.movie.background);
        load.suspended = !m_playing;
        load.capture = cell.movie.capture;
        load.slot = cell.slot;
        load.rect = cell.rect;
        load.shown = cell.shown;
        cell.generation = m_page->loadMovie(load);
        cell.loaded = true;
    }
}

void MovieSheet::scheduleLayout() {
    if (m_layoutScheduled) {
        return;
    }
    m_layoutScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_layoutScheduled) {
            layOut();
        }
    });
}

void MovieSheet::layOut() {
    m_layoutScheduled = false;
    QRect bounds;
    for (const Cell& cell : m_cells) {
        if (cell.widget && cell.widget->isVisibleTo(parentWidget())) {
            bounds |= cell.widget->geometry();
        }
    }
    if (bounds.isEmpty()) {
        hide();
    } else {
        setGeometry(bounds);
        show();
    }
    // Between the cells the page shows the container's own background.
    const QColor background = parentWidget()->palette().color(parentWidget()->backgroundRole());
    if (background != m_pageBackground) {
        m_pageBackground = background;
        m_page->setBackgroundColor(background);
    }
    for (Cell& cell : m_cells) {
        if (!cell.widget) {
            continue;
        }
        const bool shown = cell.widget->isVisibleTo(parentWidget());
        const QRect rect = shown ? cell.widget->geometry().translated(-bounds.topLeft()) : cell.rect;
        if (rect == cell.rect && shown == cell.shown) {
            continue;
        }
        cell.rect = rect;
        cell.shown = shown;
        if (cell.loaded) {
            m_page->placeSlot(cell.slot, cell.rect, cell.shown);
        }
    }
    updatePlaying();
}

void MovieSheet::suspend() {
    m_suspended = true;
    updatePlaying();
}

void MovieSheet::resume() {
    m_suspended = false;
    updatePlaying();
}

void MovieSheet::updatePlaying() {
    // isVisible() is false while the window or the container is hidden; a minimised window stays visible.
    const bool playing = !m_suspended && isVisible() && !(m_window && m_window->isMinimized()) && !covered();
    if (playing == m_playing) {
        return;
    }
    m_playing = playing;
    if (playing) {
        m_page->resumePlayer();
    } else {
        m_page->suspendPlayer();
    }
}

bool MovieSheet::covered() const {
    // What lies above the sheet: the later siblings of the sheet and of each of its containers. Only
    // widgets that draw every pixel count (a live view that is not transparent, or an opaque widget).
    if (!isVisible()) {
        return false;
    }
    const QWidget* top = window();
    QRegion left(QRect(mapTo(top, QPoint(0, 0)), size()));
    for (const QWidget* w = this; w && w != top && w->parentWidget(); w = w->parentWidget()) {
        const QObjectList& siblings = w->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(w)) + 1; i < siblings.size(); ++i) {
            auto* above = qobject_cast<QWidget*>(siblings[i]);
            if (!above || above->isWindow() || !above->isVisible()) {
                continue;
            }
            auto* live = qobject_cast<MovieView*>(above);
            const bool opaque = live ? !live->isTransparent()
                                     : above->autoFillBackground() || above->testAttribute(Qt::WA_OpaquePaintEvent);
            if (opaque) {
                left -= QRect(above->mapTo(top, QPoint(0, 0)), above->size());
            }
        }
    }
    return left.isEmpty();
}

void MovieSheet::repaintSoon() {
    // See MovieView::repaintFirstFrame: a page whose movies stand still may never send the engine's frame
    // again, so it is sent once more, a moment after the last of a page's first frames.
    if (m_repaintScheduled) {
        return;
    }
    m_repaintScheduled = true;
    QTimer::singleShot(100, this, [this] {
        m_repaintScheduled = false;
        const QSize size = m_web->size();
        if (size.isEmpty()) {
            return;
        }
        m_web->resize(size.width(), size.height() + 1);
        QTimer::singleShot(50, this, [this] { m_web->resize(this->size()); });
    });
}

bool MovieSheet::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched != m_window) {
            scheduleLayout();
        }
        QTimer::singleShot(0, this, [this] { updatePlaying(); });
        break;
    case QEvent::WindowStateChange:
        updatePlaying();
        break;
    case QEvent::ParentChange:
        // A cell moved to another container plays on that container's sheet.
        if (watched != m_window) {
            auto* widget = static_cast<QWidget*>(watched);
            Cell* cell = cellOf(widget);
            if (cell && widget->parentWidget() && widget->parentWidget() != parentWidget()) {
                const CellMovie movie = cell->movie;
                removeCell(widget);
                MovieSheet* other = of(widget->parentWidget());
                other->addCell(widget);
                other->setMovie(widget, movie);
            }
        }
        break;
    default:
        break;
    }
    return false;
}

bool MovieSheet::event(QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        QTimer::singleShot(0, this, [this] { updatePlaying(); });
    }
    return QWidget::event(event);
}

} // namespace glw::qt::movie
