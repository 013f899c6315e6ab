// The common part of every control's view: building, the properties all controls share, user actions.
#include "ControlView.h"

#include "Colors.h"
#include "FormWindow.h"
#include "Keys.h"
#include "QtDriver.h"
#include "forms/Form.h"
#include "platform/WinPath.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPixmap>
#include <QPixmapCache>
#include <QSignalBlocker>

namespace glw::qt {

ControlView::ControlView(FormWindow& window, forms::Control& control) : m_window(window), m_control(&control) {}

ControlView::~ControlView() {
    // Click filters and slots of the widget call into this view: the widget goes with it.
    delete m_widget.data();
}

QtDriver& ControlView::driver() const {
    return m_window.driver();
}

void ControlView::build(QWidget* parent) {
    m_widget = createWidget(parent);
    if (m_widget) {
        m_widget->setObjectName(QString::fromStdString(m_control->displayName()));
    }
}

void ControlView::reparent(QWidget* parent) {
    if (!m_widget || !parent || m_widget->parentWidget() == parent) {
        return;
    }
    m_widget->setParent(parent);
    apply(forms::PropertyId::Visible); // setParent hides the widget
}

void ControlView::rebuildWidget() {
    QWidget* parent = m_widget ? m_widget->parentWidget() : nullptr;
    if (m_widget) {
        m_widget->blockSignals(true);
        m_widget->hide();
        m_widget->deleteLater();
        m_widget = nullptr;
    }
    build(parent);
    apply(forms::PropertyId::All);
}

void ControlView::apply(forms::PropertyId property) {
    if (!m_control) {
        return;
    }
    if (!m_widget) {
        applyOwn(property); // timers and other controls without a widget
        return;
    }
    const QSignalBlocker blocker(m_widget.data());
    applyCommon(property);
    applyOwn(property);
}

void ControlView::settleLater() {
    if (!m_settlePending) {
        m_settlePending = true;
        m_window.settleLater(*this);
    }
}

void ControlView::settle() {
    if (!m_settlePending) {
        return;
    }
    m_settlePending = false;
    if (!m_control || !m_widget) {
        return;
    }
    const QSignalBlocker blocker(m_widget.data());
    settleOwn();
}

void ControlView::applyCommon(forms::PropertyId property) {
    forms::Control& c = *m_control;
    if (wants(property, forms::PropertyId::Visible)) {
        m_widget->setVisible(c.Visible);
    }
    if (wants(property, forms::PropertyId::Enabled)) {
        m_widget->setEnabled(c.Enabled);
    }
    if (wants(property, forms::PropertyId::ToolTipText)) {
        m_widget->setToolTip(QString::fromStdString(c.ToolTipText));
    }
    if (wants(property, forms::PropertyId::BackColor) || wants(property, forms::PropertyId::ForeColor)) {
        applyColours();
    }
    if (wants(property, forms::PropertyId::MousePointer)) {
        Qt::CursorShape shape;
        if (cursorFor(c.MousePointer, shape)) {
            m_widget->setCursor(shape);
        } else {
            m_widget->unsetCursor();
        }
    }
}

long ControlView::defaultBackColor() const {
    return forms::kButtonFace;
}

void ControlView::applyColours() {
    forms::Control& c = *m_control;
    QPalette palette = QApplication::palette(m_widget);
    const bool ownBack = c.BackColor != defaultBackColor();
    if (ownBack) {
        const QColor back = fromVbColor(c.BackColor);
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::Base, back);
        palette.setColor(QPalette::Button, back);
    }
    if (c.ForeColor != forms::kWindowText) {
        const QColor fore = fromVbColor(c.ForeColor);
        palette.setColor(QPalette::WindowText, fore);
        palette.setColor(QPalette::Text, fore);
        palette.setColor(QPalette::ButtonText, fore);
    }
    m_widget->setPalette(palette);
    if (fillsBackground()) {
        m_widget->setAutoFillBackground(ownBack || opaque());
    }
}

QSize ControlView::defaultSize() const {
    if (!m_widget) {
        return {};
    }
    const QSize hint = m_widget->sizeHint();
    return hint.isValid() ? hint : QSize(100, 24);
}

bool ControlView::typeKey(const VbKey& key) {
    forms::Form& form = m_control->form();
    const bool enterOrEscape = key.ascii == 13 || key.ascii == 27;
    if (!user("key " + form.name(), [&form, &key] { form.userKeyPress(key.ascii); })) {
        return true;
    }
    // Enter and Escape belong to the form (its default and cancel buttons); other keys also work the widget
    // (a list's search, a combo box's edit field).
    return enterOrEscape;
}

bool ControlView::user(const std::string& what, const std::function<void()>& action) {
    if (!m_control) {
        return false;
    }
    QPointer<ControlView> self(this);
    driver().user(what, action);
    return self && m_control;
}

void ControlView::detach() {
    m_control = nullptr;
    if (m_widget) {
        m_widget->blockSignals(true);
        m_widget->hide();
        m_widget->deleteLater();
    }
}

QPixmap loadPixmap(const platform::Picture& picture) {
    if (picture.empty()) {
        return {};
    }
    const QString path = QString::fromStdString(platform::toHostPath(picture.path));
    // A file written again under the same name (a preview in Working) is a new picture.
    const QFileInfo info(path);
    const QString key =
        path + u'|' + QString::number(info.lastModified().toMSecsSinceEpoch()) + u'|' + QString::number(info.size());
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap) && pixmap.load(path)) {
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

ClickFilter::ClickFilter(QWidget* widget, std::function<void()> click, std::function<void()> dblClick)
    : QObject(widget), m_click(std::move(click)), m_dblClick(std::move(dblClick)) {
    widget->installEventFilter(this);
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::MouseButtonDblClick) {
        m_afterDouble = true;
        if (m_dblClick) {
            m_dblClick();
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_afterDouble) {
            m_afterDouble = false;
        } else if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint()) &&
                   m_click) {
            m_click();
        }
    }
    return false;
}

bool cursorFor(int mousePointer, Qt::CursorShape& shape) {
    switch (mousePointer) {
    case 1:
        shape = Qt::ArrowCursor;
        return true;
    case 2:
        shape = Qt::CrossCursor;
        return true;
    case 3:
        shape = Qt::IBeamCursor;
        return true;
    case 5:
    case 15:
        shape = Qt::SizeAllCursor;
        return true;
    case 6:
        shape = Qt::SizeBDiagCursor;
        return true;
    case 7:
        shape = Qt::SizeVerCursor;
        return true;
    case 8:
        shape = Qt::SizeFDiagCursor;
        return true;
    case 9:
        shape = Qt::SizeHorCursor;
        return true;
    case 10:
        shape = Qt::UpArrowCursor;
        return true;
    case 11:
        shape = Qt::WaitCursor;
        return true;
    case 12:
        shape = Qt::ForbiddenCursor;
        return true;
    case 13:
        shape = Qt::BusyCursor;
        return true;
    case 14:
        shape = Qt::WhatsThisCursor;
        return true;
    default:
        return false;
    }
}

int vbMouseButtons(Qt::MouseButtons buttons) {
    return ((buttons & Qt::LeftButton) ? forms::vbLeftButton : 0) |
           ((buttons & Qt::RightButton) ? forms::vbRightButton : 0) |
           ((buttons & Qt::MiddleButton) ? forms::vbMiddleButton : 0);
}

int vbShiftState(Qt::KeyboardModifiers modifiers) {
    return ((modifiers & Qt::ShiftModifier) ? forms::vbShiftMask : 0) |
           ((modifiers & Qt::ControlModifier) ? forms::vbCtrlMask : 0) |
           ((modifiers & Qt::AltModifier) ? forms::vbAltMask : 0);
}

} // namespace glw::qt
