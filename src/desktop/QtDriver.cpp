// The Qt driver: window bookkeeping, the user-action gate, focus and keys, loops, menus and dialogs.
#include "QtDriver.h"

#include "Colors.h"
#include "DialogFilter.h"
#include "ForeignWindow.h"
#include "FormWindow.h"
#include "Keys.h"
#include "forms/Controls.h"
#include "platform/WinPath.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace glw::qt {

QtDriver::QtDriver(forms::Runtime& runtime, std::shared_ptr<MovieViews> movieViews)
    : m_runtime(runtime), m_movieViews(std::move(movieViews)) {
    QApplication::setQuitOnLastWindowClosed(false); // the program ends when its last form unloads
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { onFocusChanged(now); });
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect geometry = screen->geometry();
        m_runtime.Screen.Width = toTwips(Pixels{geometry.width()}).value;
        m_runtime.Screen.Height = toTwips(Pixels{geometry.height()}).value;
    }
    m_runtime.Screen.TwipsPerPixelX = kTwipsPerPixel;
    m_runtime.Screen.TwipsPerPixelY = kTwipsPerPixel;
    // Screen.MousePointer is a plain field: look at it often enough that an hourglass shows during long work.
    m_pointerTimer = new QTimer(this);
    m_pointerTimer->setInterval(100);
    connect(m_pointerTimer, &QTimer::timeout, this, [this] { applyScreenPointer(); });
    m_pointerTimer->start();
}

QtDriver::~QtDriver() {
    qApp->removeEventFilter(this);
    if (m_screenPointer) {
        QGuiApplication::restoreOverrideCursor();
    }
    for (auto& [form, window] : m_windows) {
        window->detach();
        delete window;
    }
}

FormWindow* QtDriver::window(const forms::Form& form) const {
    auto it = m_windows.find(&form);
    return it == m_windows.end() ? nullptr : it->second;
}

QWidget* QtDriver::widget(const forms::Control& control) const {
    FormWindow* w = window(control.form());
    if (!w) {
        return nullptr;
    }
    w->flushPending();
    ControlView* v = w->view(control);
    return v ? v->widget() : nullptr;
}

// ---- runtime to widgets ----

void QtDriver::formLoaded(forms::Form& form) {
    if (window(form)) {
        return;
    }
    auto* w = new FormWindow(*this, form);
    m_windows[&form] = w;
    const ApplyScope scope(*this);
    w->build();
}

bool QtDriver::embedIn(forms::Form& form, unsigned long windowId) {
    FormWindow* w = window(form);
    if (!w) {
        return false;
    }
    auto host = ForeignWindow::find(windowId);
    if (!host) {
        return false;
    }
    w->embedIn(std::move(host));
    return true;
}

void QtDriver::formUnloaded(forms::Form& form) {
    auto it = m_windows.find(&form);
    if (it == m_windows.end()) {
        return;
    }
    FormWindow* w = it->second;
    m_windows.erase(it);
    {
        const ApplyScope scope(*this);
        w->detach();
        w->hide();
    }
    w->deleteLater(); // its own close box or a button on it may be what is running
    checkLoops();
}

void QtDriver::formShown(forms::Form& form) {
    if (FormWindow* w = window(form)) {
        w->flushPending();
        const ApplyScope scope(*this);
        w->applyForm(forms::PropertyId::Visible);
    }
}

void QtDriver::propertyChanged(forms::Form& form, forms::Control* control, forms::PropertyId property) {
    FormWindow* w = window(form);
    if (!w) {
        return;
    }
    {
        const ApplyScope scope(*this);
        if (control) {
            w->applyControl(*control, property);
        } else {
            w->applyForm(property);
        }
    }
    if (!control && property == forms::PropertyId::Visible) {
        checkLoops();
    }
}

void QtDriver::controlAdded(forms::Form& form, forms::Control& control) {
    if (FormWindow* w = window(form)) {
        w->addControl(control);
    }
}

void QtDriver::controlRemoved(forms::Form& form, forms::Control& control) {
    if (FormWindow* w = window(form)) {
        const ApplyScope scope(*this);
        w->removeControl(control);
    }
}

void QtDriver::zOrderChanged(forms::Form& form, forms::Control& /*control*/) {
    if (FormWindow* w = window(form)) {
        w->restack();
    }
}

void QtDriver::focusChanged(forms::Form& form, forms::Control* control) {
    if (FormWindow* w = window(form)) {
        w->flushPending();
        const ApplyScope scope(*this);
        w->focusControl(control);
    }
}

// ---- widgets to runtime ----

void QtDriver::user(const std::string& what, const std::function<void()>& action) {
    if (m_ending || applying()) {
        return;
    }
    try {
        m_runtime.userAction(what, action);
    } catch (const vb::EndProgram& end) {
        finish(end.exitCode);
    } catch (const std::exception& fault) {
        // Nothing may unwind into Qt's event loop: a fault that the runtime passed on is logged here.
        m_runtime.logInternalError(what, fault);
    } catch (...) {
        m_runtime.logError(what, 0, "unexpected exception");
    }
}

void QtDriver::onFocusChanged(QWidget* now) {
    if (applying() || m_ending || !now) {
        return;
    }
    auto* w = dynamic_cast<FormWindow*>(now->window());
    if (!w || !w->form()) {
        return;
    }
    ControlView* v = w->viewOfWidget(now);
    forms::Control* control = v ? v->control() : nullptr;
    if (!control || control->hasFocus() || !control->canFocus() || !control->effectivelyVisible() ||
        !control->effectivelyEnabled() || !control->form().Visible) {
        return;
    }
    user("focus " + control->fullName(), [control] { control->SetFocus(); });
}

bool QtDriver::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        movieClicked(static_cast<QWidget*>(watched), event);
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    auto* target = static_cast<QWidget*>(watched);
    // The application sees a key again for each parent it propagates to: take it where it was delivered.
    QWidget* focus = QApplication::focusWidget();
    if (focus ? target != focus : !target->isWindow()) {
        return false;
    }
    auto* w = dynamic_cast<FormWindow*>(target->window());
    if (!w || !w->form() || m_ending) {
        return false;
    }
    return w->handleKey(target, translateKey(*static_cast<QKeyEvent*>(event)));
}

void QtDriver::movieClicked(QWidget* target, QEvent* event) {
    // A press that nobody takes travels on to the parents: it counts once, where it was delivered.
    if (event == m_lastPress || m_ending || applying()) {
        return;
    }
    m_lastPress = event;
    auto* w = dynamic_cast<FormWindow*>(target->window());
    if (!w || !w->form()) {
        return;
    }
    ControlView* v = w->viewOfWidget(target);
    forms::Control* control = v ? v->control() : nullptr;
    // A movie's page takes every press for itself; the movie control only learns of it here.
    if (control && control->kind() == forms::ControlKind::FlashPlayer && !control->canFocus()) {
        user("click " + control->fullName(), [control] { control->userClick(); });
    }
}

// ---- loops ----

void QtDriver::runModal(forms::Form& form) {
    FormWindow* w = window(form);
    if (!w || m_ending || !form.loaded() || !form.Visible) {
        return;
    }
    w->flushPending();
    w->setModal(true, modalOwner(*w));
    w->showNow();
    QEventLoop loop;
    m_modalLoops.push_back({&form, &loop});
    loop.exec(QEventLoop::DialogExec);
    for (auto it = m_modalLoops.begin(); it != m_modalLoops.end(); ++it) {
        if (it->loop == &loop) {
            m_modalLoops.erase(it);
            break;
        }
    }
    if (FormWindow* still = window(form); still && !still->isVisible()) {
        still->setModal(false);
    }
    throwIfEnded();
}

QWidget* QtDriver::modalOwner(const FormWindow& modal) const {
    // The window the user worked in opened the box; before any is active, the innermost modal one or
    // any window of the program.
    auto usable = [&](QWidget* candidate) {
        return candidate && candidate != &modal && candidate->isVisible() ? candidate : nullptr;
    };
    if (QWidget* active = usable(QApplication::activeWindow()); active && dynamic_cast<FormWindow*>(active)) {
        return active;
    }
    for (auto it = m_modalLoops.rbegin(); it != m_modalLoops.rend(); ++it) {
        if (QWidget* owner = usable(window(*it->form))) {
            return owner;
        }
    }
    for (const auto& [form, candidate] : m_windows) {
        if (QWidget* owner = usable(candidate)) {
            return owner;
        }
    }
    return nullptr;
}

void QtDriver::runMainLoop() {
    if (m_ending || m_runtime.forms().empty()) {
        return;
    }
    QEventLoop loop;
    m_mainLoop = &loop;
    loop.exec();
    m_mainLoop = nullptr;
}

void QtDriver::watchReadable(int fd, std::function<void()> ready) {
    delete m_watched;
    m_watched = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_watched, &QSocketNotifier::activated, this, [this, ready = std::move(ready)] { user("signal", ready); });
}

void QtDriver::doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    applyScreenPointer();
    throwIfEnded();
}

void QtDriver::checkLoops() {
    for (const ModalFrame& frame : m_modalLoops) {
        const bool loaded = m_windows.count(frame.form) != 0; // by address only: the form may be gone
        if (m_ending || !loaded || !frame.form->Visible) {
            frame.loop->quit();
        }
    }
    if (m_mainLoop && (m_ending || m_runtime.forms().empty())) {
        m_mainLoop->quit();
    }
}

void QtDriver::finish(int exitCode) {
    if (m_ending) {
        return;
    }
    m_ending = true;
    m_exitCode = exitCode;
    if (!m_endHandler) {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        // No static destructors: the web engine's may run into a page that is still loading and crash the
        // ending program. What must happen at the end is registered with at_quick_exit.
        std::quick_exit(exitCode);
    }
    m_endHandler(exitCode);
    checkLoops();
}

void QtDriver::throwIfEnded() const {
    if (m_ending) {
        throw vb::EndProgram{m_exitCode};
    }
}

void QtDriver::applyScreenPointer() {
    const int pointer = m_runtime.Screen.MousePointer;
    if (pointer == m_screenPointer) {
        return;
    }
    if (m_screenPointer) {
        QGuiApplication::restoreOverrideCursor();
    }
    Qt::CursorShape shape;
    m_screenPointer = cursorFor(pointer, shape) ? pointer : 0;
    if (m_screenPointer) {
        QGuiApplication::setOverrideCursor(shape);
    }
}

// ---- menus and dialogs ----

void QtDriver::popupMenu(forms::Form& form, forms::Menu& menu) {
    FormWindow* w = window(form);
    if (!w || m_ending) {
        return;
    }
    std::map<QAction*, forms::Menu*> chosen;
    QMenu popup(w);
    w->fillMenu(popup, menu, chosen, false);
    if (popup.isEmpty()) {
        return;
    }
    QAction* action = popup.exec(QCursor::pos());
    throwIfEnded();
    auto it = chosen.find(action);
    if (it == chosen.end()) {
        return;
    }
    FormWindow* still = window(form);
    if (!still || !still->hasMenu(it->second)) {
        return;
    }
    forms::Menu* item = it->second;
    m_runtime.userAction("menu " + item->fullName(), [item] { item->userClick(); });
}

namespace {

std::string defaultTitle(forms::DialogKind kind) {
    switch (kind) {
    case forms::DialogKind::Open:
        return "Open";
    case forms::DialogKind::Save:
        return "Save As";
    case forms::DialogKind::Color:
        return "Color";
    }
    return {};
}

constexpr long kOverwritePrompt = 0x2; // the dialog flag that asks before replacing a file

} // namespace

forms::DialogAnswer QtDriver::commonDialog(forms::Form& form, const forms::DialogRequest& request) {
    if (m_ending) {
        return {};
    }
    QWidget* parent = window(form);
    if (!parent || !parent->isVisible()) {
        parent = QApplication::activeWindow();
    }
    const QString title = QString::fromStdString(request.title.empty() ? defaultTitle(request.kind) : request.title);
    forms::DialogAnswer answer;

    if (request.kind == forms::DialogKind::Color) {
        QColorDialog dialog(fromVbColor(request.color), parent);
        dialog.setWindowTitle(title);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        const int result = dialog.exec();
        throwIfEnded();
        if (result == QDialog::Accepted) {
            answer.ok = true;
            answer.color = toVbColor(dialog.selectedColor());
        }
        return answer;
    }

    QFileDialog dialog(parent, title);
    // Qt's own dialog behaves the same on every desktop and under Xvfb, and honours every option below.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const bool save = request.kind == forms::DialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !(request.flags & kOverwritePrompt)) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    QStringList filters;
    for (const auto& filter : toQtNameFilters(request.filter)) {
        filters << QString::fromStdString(filter);
    }
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
        dialog.selectNameFilter(filters.at(index - 1));
    }
    if (!request.defaultExt.empty()) {
        std::string ext = request.defaultExt;
        if (ext.front() == '.') {
            ext.erase(0, 1);
        }
        dialog.setDefaultSuffix(QString::fromStdString(ext));
    }
    // The folder: the one asked for, else the proposed file's own, else the current one.
    QString folder;
    if (!request.initDir.empty()) {
        folder = QString::fromStdString(platform::toHostPath(request.initDir));
    }
    QString proposed;
    if (!request.fileName.empty()) {
        const auto [dir, name] = platform::splitSystemPath(request.fileName);
        proposed = QString::fromStdString(name);
        if (!dir.empty() && (folder.isEmpty() || !QFileInfo(folder).isDir())) {
            folder = QString::fromStdString(platform::toHostPath(dir));
        }
    }
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        dialog.setDirectory(folder);
    }
    if (!proposed.isEmpty()) {
        dialog.selectFile(proposed);
    }

    const int result = dialog.exec();
    throwIfEnded();
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return answer;
    }
    const std::string host = dialog.selectedFiles().constFirst().toStdString();
    const std::string system = platform::toSystemPath(host);
    if (system.empty()) {
        // A name with "\" in it cannot be written as a system path; the program could not open it.
        m_runtime.logError("dialog", vb::ErrInvalidCall, "the chosen file cannot be named as a system path: " + host);
        return answer;
    }
    answer.ok = true;
    answer.fileName = system;
    return answer;
}

forms::PixelRect QtDriver::screenRect(const forms::Control& control) {
    QWidget* w = widget(control);
    if (!w) {
        return UiDriver::screenRect(control);
    }
    const QPoint topLeft = w->mapToGlobal(QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + w->width(), topLeft.y() + w->height()};
}

} // namespace glw::qt
