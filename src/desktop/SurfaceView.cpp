// The view of user-drawn controls: the surface's operations painted with QPainter into a backing image that
// the widget shows, the mouse as pixel events with clicks and double-clicks, and pointer capture.
#include "FormWindow.h"
#include "QtDriver.h"
#include "Views.h"
#include "forms/Form.h"
#include "forms/UserControl.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <algorithm>

namespace glw::qt {

namespace {

QColor qcolor(long colour) {
    const long c = forms::resolveColor(colour);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// Shows the backing image; what is drawn stays until drawn over, so exposing the window needs no repaint.
class SurfaceWidget : public QWidget {
public:
    using QWidget::QWidget;
    QImage image;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, image);
    }
};

class SurfaceView : public ControlView, public forms::SurfaceBackend {
public:
    SurfaceView(FormWindow& window, forms::SurfaceControl& control)
        : ControlView(window, control), m_surfaceControl(&control) {
        control.Surface.setBackend(this);
    }
    ~SurfaceView() override {
        if (m_surfaceControl) {
            m_surfaceControl->Surface.setBackend(nullptr);
        }
    }

    QWidget* childParent() const override { return m_widget; }
    QSize defaultSize() const override { return QSize(100, 100); }

    // --- forms::SurfaceBackend ---
    void drawn(const forms::DrawOp& op) override {
        auto* w = surfaceWidget();
        if (!w) {
            return;
        }
        fitImage();
        if (clearsToForm(op)) {
            w->image.fill(formColour());
            m_formBackground = true;
            w->update();
            return;
        }
        if (m_formBackground) {
            w->image.fill(qcolor(m_surfaceControl->BackColor));
            m_formBackground = false;
        }
        QPainter painter(&w->image);
        for (const forms::PixelSpan& s : forms::DrawSurface::spans(op)) {
            const QRect r(QPoint(s.rect.left, s.rect.top), QPoint(s.rect.right, s.rect.bottom));
            painter.fillRect(r, qcolor(s.colour));
        }
        painter.end();
        w->update();
    }
    void captureChanged(bool captured) override {
        if (!m_widget) {
            return;
        }
        if (captured && m_widget->isVisible()) {
            m_widget->grabMouse();
        } else if (!captured && QWidget::mouseGrabber() == m_widget) {
            m_widget->releaseMouse();
        }
    }
    void surfaceGone() override { m_surfaceControl = nullptr; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_widget || !m_surfaceControl || !m_control) {
            return false;
        }
        forms::SurfaceControl& c = *m_surfaceControl;
        const std::string name = c.fullName();
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
            if (fitImage()) {
                requestRefresh();
            }
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            break;
        default:
            return false;
        }
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF at = mouse->position();
        const float x = float(at.x());
        const float y = float(at.y());
        const int shift = vbShiftState(mouse->modifiers());
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            if (c.canFocus() && !c.hasFocus()) {
                m_widget->setFocus(Qt::MouseFocusReason);
            }
            const int button = vbMouseButtons(mouse->button());
            user("mousedown " + name, [&] { c.userMouseDown(button, shift, x, y); });
            break;
        }
        case QEvent::MouseMove: {
            const int buttons = vbMouseButtons(mouse->buttons());
            user("mousemove " + name, [&] { c.userMouseMove(buttons, shift, x, y); });
            break;
        }
        case QEvent::MouseButtonDblClick:
            m_afterDouble = true;
            user("dblclick " + name, [&] { c.userDblClick(); });
            break;
        default: {
            const int button = vbMouseButtons(mouse->button());
            const bool inside = m_widget->rect().contains(at.toPoint());
            const bool click = inside && button == forms::vbLeftButton && !m_afterDouble;
            m_afterDouble = false;
            if (user("mouseup " + name, [&] { c.userMouseUp(button, shift, x, y); }) && click && m_surfaceControl) {
                user("click " + name, [&] { c.userClick(); });
            }
            break;
        }
        }
        return true;
    }

protected:
    QWidget* createWidget(QWidget* parent) override {
        auto* widget = new SurfaceWidget(parent);
        widget->setMouseTracking(true);
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->setAttribute(Qt::WA_OpaquePaintEvent);
        widget->installEventFilter(this);
        return widget;
    }
    void applyOwn(forms::PropertyId) override {}

private:
    SurfaceWidget* surfaceWidget() const { return static_cast<SurfaceWidget*>(m_widget.data()); }

    // Gives the backing image the surface's size; true when it had to be made anew (and needs a repaint).
    bool fitImage() {
        auto* w = surfaceWidget();
        if (!w || !m_surfaceControl) {
            return false;
        }
        const forms::PixelRect r = m_surfaceControl->Surface.clientRect();
        const QSize size(std::max(1, r.right), std::max(1, r.bottom));
        if (w->image.size() == size) {
            return false;
        }
        w->image = QImage(size, QImage::Format_RGB32);
        // A control that has drawn nothing of its own on the default back colour (only clears) is a container
        // of other controls: it shows the form's colour as the form shows it (the desktop's window colour),
        // not a patch of the fixed grey. Once it draws, the image is what the surface drew, pixel for pixel.
        const auto& ops = m_surfaceControl->Surface.ops();
        m_formBackground = m_surfaceControl->BackColor == defaultBackColor() &&
                           std::all_of(ops.begin(), ops.end(), [this](const auto& op) { return clearsToForm(op); });
        w->image.fill(m_formBackground ? formColour() : qcolor(m_surfaceControl->BackColor));
        return true;
    }

    bool clearsToForm(const forms::DrawOp& op) const {
        return op.kind == forms::DrawOp::Kind::Clear && op.colour == defaultBackColor();
    }
    QColor formColour() const { return QApplication::palette(m_widget).color(QPalette::Window); }

    // The control paints itself afresh once the event loop is free (not inside a resize of the layout).
    void requestRefresh() {
        if (m_refreshPending) {
            return;
        }
        m_refreshPending = true;
        QPointer<QWidget> widget(m_widget);
        QTimer::singleShot(0, this, [this, widget] {
            m_refreshPending = false;
            if (widget && m_surfaceControl && m_control) {
                user("paint " + m_control->fullName(), [this] { m_surfaceControl->Refresh(); });
            }
        });
    }

    forms::SurfaceControl* m_surfaceControl;
    bool m_afterDouble = false;
    bool m_refreshPending = false;
    bool m_formBackground = false; // the image shows the form's colour: nothing drawn yet
};

} // namespace

std::unique_ptr<ControlView> makeSurfaceView(FormWindow& window, forms::SurfaceControl& control) {
    return std::make_unique<SurfaceView>(window, control);
}

} // namespace glw::qt
