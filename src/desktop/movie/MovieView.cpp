// The live movie view: the control's settings gathered and handed to its page as one load.
#include "MovieEngine.h"
#include "MoviePage.h"
#include "MoviePlayer.h"
#include "platform/WinPath.h"

#include <QChildEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace glw::qt::movie {

bool playerAvailable() {
    return playerFolder().ok();
}

MovieSource movieSource(std::string_view movie, std::string_view flashVars) {
    const std::size_t question = movie.find('?');
    const std::string_view path = movie.substr(0, question);
    QString variables = question == std::string_view::npos
                            ? QString()
                            : QString::fromStdString(std::string(movie.substr(question + 1)));
    if (!flashVars.empty()) {
        if (!variables.isEmpty()) {
            variables += QLatin1Char('&');
        }
        variables += QString::fromStdString(std::string(flashVars));
    }
    return {path.empty() ? QString() : QString::fromStdString(platform::toHostPath(path)), variables};
}

QString scaleName(int scaleMode) {
    switch (scaleMode) {
    case 1:
        return QStringLiteral("noBorder");
    case 2:
        return QStringLiteral("exactFit");
    case 3:
        return QStringLiteral("noScale");
    default:
        return QStringLiteral("showAll");
    }
}

MovieView::MovieView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_web = new QWebEngineView(this);
    m_web->setContextMenuPolicy(Qt::NoContextMenu);
    m_web->setAcceptDrops(false);
    m_page = new MoviePage(m_web);
    m_web->setPage(m_page);
    layout->addWidget(m_web);
    setAttribute(Qt::WA_OpaquePaintEvent, false);

    connect(m_page, &MoviePage::frameShown, this, [this](int gen, const QImage&) {
        if (gen == m_generation) {
            repaintFirstFrame();
            emit firstFrameShown();
        }
    });
    connect(m_page, &MoviePage::movieEmpty, this, [this](int gen) {
        if (gen == m_generation) {
            emit movieEmpty();
        }
    });
    connect(m_page, &MoviePage::fsCommandRaised, this, [this](int gen, const QString& command, const QString& args) {
        if (gen == m_generation) {
            emit fsCommand(command, args);
        }
    });
    connect(m_page, &MoviePage::urlRequested, this, &MovieView::urlRequested);
    watchClicks(m_web);
}

MovieView::~MovieView() = default;

void MovieView::repaintFirstFrame() {
    // With the default Qt Quick backend the web engine's first compositor frame can reach the view before the
    // view's own scene is ready to show it (seen under X servers without a window manager), and a movie that
    // then stands still sends no other: the window stays blank until something changes the view's size. A
    // change of one pixel, undone on the next turn, makes the engine send the frame again.
    const QSize size = m_web->size();
    if (size.isEmpty()) {
        return;
    }
    m_web->resize(size.width(), size.height() + 1);
    QTimer::singleShot(50, this, [this] { m_web->resize(this->size()); });
}

void MovieView::watchClicks(QObject* object) {
    // The engine's own widget, which takes the mouse, comes and goes with the page's renderer: watch each
    // child as it is added.
    object->installEventFilter(this);
    for (QObject* child : object->children()) {
        if (child->isWidgetType()) {
            watchClicks(child);
        }
    }
}

bool MovieView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child && child->isWidgetType()) {
            watchClicks(child);
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_clickUnanswered = true;
        m_buttonDown = true;
        break;
    case QEvent::MouseButtonRelease:
        m_buttonDown = false;
        m_sinceRelease.start();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool MovieView::takeClick() {
    if (!m_clickUnanswered) {
        return false;
    }
    // The movie's answer to a click comes from its renderer a moment after the button went up.
    if (!m_buttonDown && (!m_sinceRelease.isValid() || m_sinceRelease.elapsed() > kClickAnswerMs)) {
        m_clickUnanswered = false;
        return false;
    }
    m_clickUnanswered = false;
    return true;
}

void MovieView::setMovie(const QString& hostPath, const QString& variables) {
    m_path = hostPath;
    m_variables = variables;
    m_setVariables.clear();
    scheduleLoad();
}

void MovieView::setScaleMode(int scaleMode) {
    if (scaleMode == m_scaleMode) {
        return;
    }
    m_scaleMode = scaleMode;
    if (!m_path.isEmpty()) {
        scheduleLoad();
    }
}

void MovieView::setBackground(const QString& colour) {
    const QString background = backgroundOf(colour);
    if (background == m_background) {
        return;
    }
    m_background = background;
    scheduleLoad(); // the background shows even without a movie
}

void MovieView::setTransparent(bool transparent) {
    if (transparent == m_transparent) {
        return;
    }
    m_transparent = transparent;
    scheduleLoad();
}

void MovieView::play() {
    resume();
}

void MovieView::setVariable(const QString& name, const QString& value) {
    bool replaced = false;
    for (auto& [n, v] : m_setVariables) {
        if (n == name) {
            v = value;
            replaced = true;
        }
    }
    if (!replaced) {
        m_setVariables.emplace_back(name, value);
    }
    if (!m_path.isEmpty()) {
        scheduleLoad();
    }
}

void MovieView::suspend() {
    m_suspended = true;
    m_page->suspendPlayer();
}

void MovieView::resume() {
    m_suspended = false;
    m_page->resumePlayer();
}

void MovieView::scheduleLoad() {
    if (m_loadScheduled) {
        return;
    }
    m_loadScheduled = true;
    QTimer::singleShot(0, this, [this] { load(); });
}

void MovieView::load() {
    m_loadScheduled = false;
    // A movie that cannot be read is not handed to the player at all: the view shows its background.
    PageLoad order = readMovie(m_path).value_or(PageLoad{});
    order.parameters = joinVariables(m_variables, m_setVariables);
    order.scale = scaleName(m_scaleMode);
    order.background = m_background;
    order.transparent = m_transparent;
    order.suspended = m_suspended;
    m_generation = m_page->loadMovie(order);
    if (!playerAvailable()) {
        QTimer::singleShot(0, this, [this, gen = m_generation] {
            if (gen == m_generation) {
                emit movieEmpty();
            }
        });
    }
}

} // namespace glw::qt::movie
