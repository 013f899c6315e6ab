// A form's window: building the views, placing controls, the menu bar, showing and hiding, and the keys,
// clicks and close box of the form itself.
#include "FormWindow.h"

#include "Colors.h"
#include "ForeignWindow.h"
#include "Keys.h"
#include "Layout.h"
#include "QtDriver.h"
#include "forms/Controls.h"
#include "forms/Runtime.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace glw::qt {

namespace {

// The client area: the form's background, and the clicks and mouse moves on the form itself.
class FormClient : public QWidget {
public:
    explicit FormClient(FormWindow& window) : QWidget(&window), m_window(window) { setMouseTracking(true); }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        forms::Form* form = m_window.form();
        if (form && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            m_window.driver().user("click " + form->name(), [form] { form->userClick(); });
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        forms::Form* form = m_window.form();
        if (!form) {
            return;
        }
        const QPoint at = event->position().toPoint();
        const int buttons = vbMouseButtons(event->buttons());
        const int shift = vbShiftState(event->modifiers());
        const float x = float(toTwips(Pixels{at.x()}).value);
        const float y = float(toTwips(Pixels{at.y()}).value);
        m_window.driver().user("mousemove " + form->name(), [=] { form->userMouseMove(buttons, shift, x, y); });
    }

private:
    FormWindow& m_window;
};

bool isGeometry(forms::PropertyId property) {
    return property == forms::PropertyId::Left || property == forms::PropertyId::Top ||
           property == forms::PropertyId::Width || property == forms::PropertyId::Height;
}

bool fixedSize(int borderStyle) {
    return borderStyle != 2 && borderStyle != 5;
}

// The forms are laid out in twips for the original's 8-point sans-serif captions: an 8-point font fits them,
// in a family with the same widths as the designers used when one is installed, else the desktop's own.
QFont formFont() {
    QFont font = QApplication::font();
    for (const char* family : {"Liberation Sans", "Arial"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
            font.setFamily(QString::fromLatin1(family));
            break;
        }
    }
    font.setPointSizeF(8.25);
    return font;
}

} // namespace

FormWindow::FormWindow(QtDriver& driver, forms::Form& form) : QWidget(nullptr), m_driver(driver), m_form(&form) {
    setObjectName(QString::fromStdString(form.name()));
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    m_menuBar->hide();
    connect(m_menuBar, &QMenuBar::triggered, this, [this](QAction* action) {
        auto it = m_menuActions.find(action);
        if (it == m_menuActions.end() || !hasMenu(it->second)) {
            return;
        }
        forms::Menu* item = it->second;
        m_driver.user("menu " + item->fullName(), [item] { item->userClick(); });
    });
    m_client = new FormClient(*this);
    m_client->setObjectName(QStringLiteral("client"));
    setFont(formFont());
}

FormWindow::~FormWindow() {
    // The stand-in of the other program's window would take this window's native window with it: it goes
    // once this window is gone.
    if (m_hostWindow) {
        m_hostWindow->deleteLater();
    }
}

void FormWindow::embedIn(std::unique_ptr<ForeignWindow> host) {
    m_host = std::move(host);
    const QtDriver::ApplyScope scope(m_driver);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_hostWindow = QWindow::fromWinId(WId(m_host->id()));
    winId();
    windowHandle()->setParent(m_hostWindow);
    move(0, 0);
    applyWindowSize();
    // X tells a client of another's window's end only through events that Qt's connection does not select;
    // asking after it a few times a second is cheap and sure.
    m_hostWatch = new QTimer(this);
    m_hostWatch->setInterval(100);
    connect(m_hostWatch, &QTimer::timeout, this, [this] { watchHost(); });
    m_hostWatch->start();
}

void FormWindow::watchHost() {
    const std::optional<QSize> size = m_host->size();
    if (!size) {
        m_hostWatch->stop();
        if (m_driver.runtime().trace().enabled()) {
            m_driver.runtime().trace().write("host window gone " + std::to_string(m_host->id()));
        }
        if (forms::Form* form = m_form) {
            m_driver.user("close " + form->name() + " (its host window is gone)", [form] { form->userClose(); });
        }
        return;
    }
    if (*size != m_requested) {
        applyWindowSize();
        reportSize(true);
    }
}

void FormWindow::build() {
    applyWindowFlags();
    for (forms::Control* control : m_form->controls()) {
        ensureView(*control);
    }
    for (forms::Control* control : m_form->controls()) {
        if (ControlView* v = view(*control)) {
            v->apply(forms::PropertyId::All);
        }
    }
    layoutChildren(nullptr);
    for (forms::Control* control : m_form->controls()) {
        if (ControlView* v = view(*control); v && v->childParent()) {
            layoutChildren(control);
        }
    }
    restack();
    rebuildMenus();
    applyForm(forms::PropertyId::All);
}

void FormWindow::restack() {
    for (forms::Control* control : m_form->stackOrder()) {
        if (ControlView* v = view(*control); v && v->widget()) {
            v->widget()->raise();
        }
    }
}

ControlView* FormWindow::ensureView(forms::Control& control, int depth) {
    if (auto it = m_views.find(&control); it != m_views.end()) {
        return it->second;
    }
    forms::Control* container = control.Container();
    if (container && container != &control && depth < 32) {
        ensureView(*container, depth + 1);
    }
    ControlView* created = makeView(*this, control).release();
    created->setParent(this);
    m_views[&control] = created;
    created->build(parentFor(control));
    return created;
}

QWidget* FormWindow::parentFor(const forms::Control& control) const {
    if (const forms::Control* container = control.Container()) {
        if (ControlView* v = view(*container); v && v->childParent()) {
            return v->childParent();
        }
    }
    return m_client;
}

ControlView* FormWindow::view(const forms::Control& control) const {
    auto it = m_views.find(&control);
    return it == m_views.end() ? nullptr : it->second;
}

ControlView* FormWindow::viewOfWidget(QWidget* widget) const {
    for (QWidget* w = widget; w && w != this; w = w->parentWidget()) {
        for (const auto& [control, v] : m_views) {
            if (v->widget() == w) {
                return v;
            }
        }
    }
    return nullptr;
}

void FormWindow::addControl(forms::Control& control) {
    m_pending.push_back(&control);
    if (m_pending.size() == 1) {
        QTimer::singleShot(0, this, [this] { flushPending(); });
    }
}

void FormWindow::settleLater(ControlView& view) {
    m_unsettled.push_back(&view);
    if (m_unsettled.size() == 1) {
        QTimer::singleShot(0, this, [this] { flushPending(); });
    }
}

void FormWindow::flushPending() {
    if (!m_form) {
        return;
    }
    const QtDriver::ApplyScope scope(m_driver);
    if (!m_pending.empty()) {
        makePendingViews();
    }
    // Settling shows entries and marks only; it adds no view and puts nothing off again.
    std::vector<ControlView*> unsettled;
    unsettled.swap(m_unsettled);
    for (ControlView* v : unsettled) {
        v->settle();
    }
}

void FormWindow::makePendingViews() {
    std::vector<forms::Control*> pending;
    pending.swap(m_pending);
    bool menus = false;
    std::vector<const forms::Control*> containers;
    for (forms::Control* control : pending) {
        ControlView* v = ensureView(*control);
        v->apply(forms::PropertyId::All);
        menus = menus || control->kind() == forms::ControlKind::Menu;
        containers.push_back(control->Container());
    }
    for (const forms::Control* container : containers) {
        layoutChildren(container);
    }
    restack();
    if (menus) {
        scheduleMenus();
    }
}

void FormWindow::removeControl(forms::Control& control) {
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), &control), m_pending.end());
    if (ControlView* gone = view(control)) {
        m_unsettled.erase(std::remove(m_unsettled.begin(), m_unsettled.end(), gone), m_unsettled.end());
    }
    for (auto it = m_menuActions.begin(); it != m_menuActions.end();) {
        if (it->second == &control) {
            it->first->setEnabled(false);
            it = m_menuActions.erase(it);
        } else {
            ++it;
        }
    }
    auto it = m_views.find(&control);
    if (it == m_views.end()) {
        return;
    }
    ControlView* v = it->second;
    m_views.erase(it);
    v->detach();
    v->deleteLater();
    if (control.kind() == forms::ControlKind::Menu) {
        scheduleMenus();
    }
}

void FormWindow::applyControl(forms::Control& control, forms::PropertyId property) {
    ControlView* v = view(control);
    if (!v) {
        return;
    }
    if (property == forms::PropertyId::Container) {
        v->reparent(parentFor(control));
        layoutChildren(control.Container());
        return;
    }
    v->apply(property);
    if (property == forms::PropertyId::All || isGeometry(property) || property == forms::PropertyId::Caption ||
        property == forms::PropertyId::Picture || property == forms::PropertyId::Stretch ||
        property == forms::PropertyId::Visible) {
        layoutChildren(control.Container());
    }
    if (control.kind() == forms::ControlKind::Menu) {
        scheduleMenus();
    }
}

void FormWindow::layoutChildren(const forms::Control* container) {
    if (!m_form) {
        return;
    }
    std::vector<ControlView*> views;
    std::vector<PlacementInput> inputs;
    for (forms::Control* c : m_form->controls()) {
        if (c->Container() != container) {
            continue;
        }
        ControlView* v = view(*c);
        if (!v || !v->widget()) {
            continue;
        }
        const QSize size = v->defaultSize();
        const PlacementInput input{Twips{c->Left},   Twips{c->Top},        Twips{c->Width},
                                   Twips{c->Height}, Pixels{size.width()}, Pixels{size.height()}};
        if (unplaced(input) && !c->Visible) {
            continue; // takes a place in the column only once it shows
        }
        inputs.push_back(input);
        views.push_back(v);
    }
    Pixels inset;
    if (container) {
        if (ControlView* v = view(*container)) {
            inset = v->childTopInset();
        }
    }
    std::vector<PixelBox> boxes = placeControls(inputs, inset);
    for (size_t i = 0; i < views.size(); ++i) {
        views[i]->adjustBox(boxes[i]);
        const QRect rect(boxes[i].x, boxes[i].y, std::max(boxes[i].width, 1), std::max(boxes[i].height, 1));
        if (views[i]->widget()->geometry() != rect) {
            views[i]->widget()->setGeometry(rect);
        }
    }
    if (!container) {
        const PixelBox extent = flowExtent(inputs, boxes);
        const QSize size(extent.width, extent.height);
        if (size != m_flowExtent) {
            m_flowExtent = size;
            applyWindowSize();
        }
    }
}

void FormWindow::applyForm(forms::PropertyId property) {
    if (!m_form) {
        return;
    }
    forms::Form& form = *m_form;
    const bool all = property == forms::PropertyId::All;
    if (all || property == forms::PropertyId::BorderStyle || property == forms::PropertyId::ShowInTaskbar) {
        applyWindowFlags();
    }
    if (all || property == forms::PropertyId::Caption) {
        setWindowTitle(QString::fromStdString(form.Caption));
    }
    if (all || property == forms::PropertyId::Width || property == forms::PropertyId::Height ||
        property == forms::PropertyId::BorderStyle) {
        applyWindowSize();
    }
    if ((all || property == forms::PropertyId::Left || property == forms::PropertyId::Top) && !m_host) {
        move(toPixels(Twips{form.Left}).value, toPixels(Twips{form.Top}).value);
    }
    if (all || property == forms::PropertyId::BackColor) {
        const bool own = form.BackColor != forms::kButtonFace;
        QPalette palette = QApplication::palette(m_client);
        if (own) {
            palette.setColor(QPalette::Window, fromVbColor(form.BackColor));
        }
        m_client->setPalette(palette);
        m_client->setAutoFillBackground(own);
    }
    if (all || property == forms::PropertyId::MousePointer) {
        Qt::CursorShape shape;
        if (cursorFor(form.MousePointer, shape)) {
            setCursor(shape);
        } else {
            unsetCursor();
        }
    }
    if (all || property == forms::PropertyId::Visible || property == forms::PropertyId::WindowState) {
        if (form.Visible) {
            requestShow();
        } else {
            hide();
        }
    }
}

void FormWindow::requestShow() {
    if (m_showPending) {
        return;
    }
    m_showPending = true;
    QTimer::singleShot(0, this, [this] { showNow(); });
}

void FormWindow::showNow() {
    if (!m_showPending) {
        return;
    }
    m_showPending = false;
    if (!m_form || !m_form->Visible) {
        return;
    }
    const QtDriver::ApplyScope scope(m_driver);
    if (m_host) {
        // Inside another program's window: neither maximised nor raised, and the focus stays where it is.
        const bool appearing = !isVisible();
        show();
        if (appearing) {
            QTimer::singleShot(0, this, [this] { reportSize(true); });
        }
        return;
    }
    const bool appearing = !isVisible();
    switch (int(m_form->WindowState)) {
    case 1:
        showMinimized();
        break;
    case 2:
        showMaximized();
        break;
    default:
        if (isMinimized() || isMaximized()) {
            showNormal();
        } else {
            show();
        }
    }
    if (appearing) {
        raise();
        activateWindow();
    }
    focusControl(m_form->ActiveControl());
}

void FormWindow::setModal(bool modal, QWidget* owner) {
    const Qt::WindowModality modality = modal ? Qt::ApplicationModal : Qt::NonModal;
    if (owner == this || !modal) {
        owner = nullptr;
    }
    if (windowModality() == modality && m_modal == modal && m_owner == owner) {
        return;
    }
    const QtDriver::ApplyScope scope(m_driver);
    const bool visible = isVisible();
    if (visible) {
        hide(); // Qt takes a new modality only when the window is shown again
    }
    m_modal = modal;
    m_owner = owner;
    applyWindowFlags();
    setWindowModality(modality);
    applyTransientParent();
    if (visible) {
        show();
        raise();
        activateWindow();
    }
}

void FormWindow::applyTransientParent() {
    // Changing the window flags makes a new native window, which forgets its transient parent.
    if (m_owner) {
        winId();
        m_owner->winId();
        windowHandle()->setTransientParent(m_owner->windowHandle());
    } else if (QWindow* handle = windowHandle()) {
        handle->setTransientParent(nullptr);
    }
}

void FormWindow::applyWindowFlags() {
    if (!m_form || m_host) {
        return;
    }
    const int border = m_form->BorderStyle;
    Qt::WindowFlags flags;
    switch (border) {
    case 0:
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    case 3:
        flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        break;
    case 4:
    case 5:
        flags = Qt::Tool;
        break;
    default:
        flags = Qt::Window;
        break;
    }
    // A window kept out of the taskbar is a utility window to the window manager.
    if (!m_form->ShowInTaskbar && border != 0 && border != 4 && border != 5) {
        flags = (flags & ~Qt::WindowType_Mask) | Qt::Tool;
    }
    // A modal window is a dialog of its owner, whatever its border: a title and a close button only. (A
    // window manager that offers to minimise it anyway, as openbox does, minimises its owner with it, since
    // it is transient for that window; see applyTransientParent.)
    if (m_modal && border != 0) {
        flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (flags == windowFlags()) {
        return;
    }
    const bool visible = isVisible();
    setWindowFlags(flags);
    applyTransientParent();
    if (visible) {
        show();
    }
}

int FormWindow::menuBarHeight() const {
    return m_menuBar->isHidden() ? 0 : m_menuBar->sizeHint().height();
}

void FormWindow::applyWindowSize() {
    if (!m_form) {
        return;
    }
    if (m_host) {
        // A window inside another program's window fills it, whatever the form asks for.
        m_requested = m_host->size().value_or(size()).expandedTo(QSize(1, 1));
        setFixedSize(m_requested);
        move(0, 0);
        layoutBars();
        return;
    }
    QSize client(std::max(toPixels(Twips{m_form->Width}).value, 1), std::max(toPixels(Twips{m_form->Height}).value, 1));
    client = client.expandedTo(m_flowExtent);
    QSize total(client.width(), client.height() + menuBarHeight());
    // No window is larger than the screen's free area (less the frame a window manager draws): a size from
    // a startup list or a settings file may be anything. The form then learns the size the window got.
    bool cut = false;
    if (QScreen* where = screen()) {
        const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(0, 0);
        const QSize room = (where->availableGeometry().size() - frame).expandedTo(QSize(1, 1));
        cut = total.width() > room.width() || total.height() > room.height();
        total = total.boundedTo(room);
    }
    m_requested = total;
    if (cut) {
        QTimer::singleShot(0, this, [this] { reportSize(true); });
    }
    if (fixedSize(m_form->BorderStyle)) {
        setFixedSize(total);
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(total);
    }
    layoutBars();
}

void FormWindow::layoutBars() {
    const int bar = menuBarHeight();
    m_menuBar->setGeometry(0, 0, width(), bar);
    m_client->setGeometry(0, bar, width(), std::max(height() - bar, 1));
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutBars();
    reportSize();
}

void FormWindow::reportSize(bool force) {
    if (!m_form || m_driver.applying() || m_driver.ending() || !isVisible()) {
        return;
    }
    // The size the program asked for comes back from the X server later on; only another size is news.
    if (!force && size() == m_requested) {
        return;
    }
    const int width = toTwips(Pixels{m_client->width()}).value;
    const int height = toTwips(Pixels{m_client->height()}).value;
    if (width == m_form->Width && height == m_form->Height) {
        return;
    }
    forms::Form* form = m_form;
    m_driver.user("resize " + form->name(), [form, width, height] { form->userResize(width, height); });
}

void FormWindow::focusControl(forms::Control* control) {
    if (!control) {
        return;
    }
    ControlView* v = view(*control);
    if (!v || !v->widget()) {
        return;
    }
    QWidget* widget = v->widget();
    if (widget->focusPolicy() != Qt::NoFocus && !widget->hasFocus()) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void FormWindow::detach() {
    m_form = nullptr;
    for (auto& [control, v] : m_views) {
        v->forget();
    }
    m_pending.clear();
    m_unsettled.clear();
    m_menuActions.clear();
}

bool FormWindow::hasMenu(const forms::Menu* menu) const {
    return m_form && m_views.count(static_cast<const forms::Control*>(menu)) != 0;
}

bool FormWindow::handleKey(QWidget* target, const VbKey& key) {
    if (!m_form) {
        return false;
    }
    forms::Form& form = *m_form;
    QPointer<FormWindow> self(this);
    QPointer<QWidget> alive(target);
    auto gone = [&] { return !self || !m_form || !alive || m_driver.ending(); };
    if (key.keyCode != 0) {
        m_driver.user("key " + form.name(), [&form, &key] { form.userKeyDown(key.keyCode, key.shift); });
    }
    if (gone()) {
        return true;
    }
    if (key.ascii == 0) {
        return false;
    }
    ControlView* v = viewOfWidget(target);
    forms::Control* control = v ? v->control() : nullptr;
    if (control && control != form.ActiveControl() && control->canFocus() && control->effectivelyVisible() &&
        control->effectivelyEnabled()) {
        // Qt gave the widget the focus without the runtime hearing of it (a window that just opened).
        m_driver.user("focus " + control->fullName(), [control] { control->SetFocus(); });
        if (gone()) {
            return true;
        }
        v = viewOfWidget(target);
    }
    if (v && v->control()) {
        return v->typeKey(key);
    }
    m_driver.user("key " + form.name(), [&form, &key] { form.userKeyPress(key.ascii); });
    return true;
}

void FormWindow::fillMenu(QMenu& qmenu, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen, bool clickOnOpen) {
    for (forms::Menu* item : menu.items()) {
        if (!item->Visible) {
            continue;
        }
        const std::string caption = item->Caption;
        if (caption == "-") {
            qmenu.addSeparator();
            continue;
        }
        const QString text = QString::fromStdString(caption);
        if (!item->items().empty()) {
            QMenu* sub = qmenu.addMenu(text);
            sub->setEnabled(item->Enabled);
            if (clickOnOpen) {
                connect(sub, &QMenu::aboutToShow, this, [this, item] {
                    if (hasMenu(item)) {
                        m_driver.user("menu " + item->fullName(), [item] { item->userClick(); });
                    }
                });
            }
            fillMenu(*sub, *item, chosen, clickOnOpen);
            continue;
        }
        QAction* action = qmenu.addAction(text);
        action->setEnabled(item->Enabled);
        action->setCheckable(item->Checked);
        action->setChecked(item->Checked);
        chosen[action] = item;
    }
}

void FormWindow::scheduleMenus() {
    if (m_menusPending) {
        return;
    }
    m_menusPending = true;
    QTimer::singleShot(0, this, [this] { rebuildMenus(); });
}

void FormWindow::rebuildMenus() {
    if (!m_form) {
        return;
    }
    if (QApplication::activePopupWidget()) {
        // A menu is open: rebuilding now would pull it from under the user.
        m_menusPending = true;
        QTimer::singleShot(100, this, [this] { rebuildMenus(); });
        return;
    }
    m_menusPending = false;
    m_menuBar->clear();
    m_menuActions.clear();
    bool any = false;
    for (forms::Control* control : m_form->controls()) {
        auto* menu = dynamic_cast<forms::Menu*>(control);
        if (!menu || menu->parent() || !menu->Visible) {
            continue;
        }
        any = true;
        const QString text = QString::fromStdString(menu->Caption);
        if (menu->items().empty()) {
            QAction* action = m_menuBar->addAction(text);
            action->setEnabled(menu->Enabled);
            m_menuActions[action] = menu;
            continue;
        }
        QMenu* sub = m_menuBar->addMenu(text);
        sub->setEnabled(menu->Enabled);
        connect(sub, &QMenu::aboutToShow, this, [this, menu] {
            if (hasMenu(menu)) {
                m_driver.user("menu " + menu->fullName(), [menu] { menu->userClick(); });
            }
        });
        fillMenu(*sub, *menu, m_menuActions, true);
    }
    if (any == m_menuBar->isHidden()) {
        m_menuBar->setVisible(any);
        applyWindowSize();
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    event->ignore(); // the form decides (Form_QueryUnload, Form_Unload); its unload hides the window
    if (forms::Form* form = m_form) {
        m_driver.user("close " + form->name(), [form] { form->userClose(); });
    }
}

void FormWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !m_form) {
        return;
    }
    forms::Form* form = m_form;
    if (isActiveWindow()) {
        m_driver.user("activate " + form->name(), [form] { form->userActivate(); });
    } else {
        m_driver.user("deactivate " + form->name(), [form] { form->userDeactivate(); });
    }
}

} // namespace glw::qt
