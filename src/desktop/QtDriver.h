// The desktop renderer: every loaded form of the runtime as a Qt top-level window whose controls are Qt
// widgets, kept in step both ways. Values set from code show at once; what a user does reaches the runtime
// as the one user...() call the runtime defines for it, and never comes back as an echo.
#pragma once

#include "forms/Runtime.h"

#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QEventLoop;
class QKeyEvent;
class QSocketNotifier;
class QTimer;
class QWidget;

namespace glw::qt {

class FormWindow;
class MovieViews;

class QtDriver : public QObject, public forms::UiDriver {
public:
    // Needs a QApplication that outlives the driver. Sets the runtime's Screen from the primary screen.
    // `movieViews`: how movie controls show (null: their outlines).
    explicit QtDriver(forms::Runtime& runtime, std::shared_ptr<MovieViews> movieViews = {});
    ~QtDriver() override;
    QtDriver(const QtDriver&) = delete;
    QtDriver& operator=(const QtDriver&) = delete;

    // --- forms::UiDriver ---
    void formLoaded(forms::Form& form) override;
    void formUnloaded(forms::Form& form) override;
    void formShown(forms::Form& form) override;
    void propertyChanged(forms::Form& form, forms::Control* control, forms::PropertyId property) override;
    void controlAdded(forms::Form& form, forms::Control& control) override;
    void controlRemoved(forms::Form& form, forms::Control& control) override;
    void zOrderChanged(forms::Form& form, forms::Control& control) override;
    void focusChanged(forms::Form& form, forms::Control* control) override;
    void runModal(forms::Form& form) override;
    void runMainLoop() override;
    void doEvents() override;
    void popupMenu(forms::Form& form, forms::Menu& menu) override;
    forms::DialogAnswer commonDialog(forms::Form& form, const forms::DialogRequest& request) override;
    forms::PixelRect screenRect(const forms::Control& control) override;
    void watchReadable(int fd, std::function<void()> ready) override;
    // Needs the X display (xcb): elsewhere no foreign window can be found, and the answer is false.
    bool embedIn(forms::Form& form, unsigned long windowId) override;
    // The window manager draws the frame outside the window: a form's Width and Height are its inner size.
    forms::FrameTwips frameOf(const forms::Form&) override { return {}; }

    forms::Runtime& runtime() { return m_runtime; }
    MovieViews* movieViews() const { return m_movieViews.get(); }
    // The window of a loaded form, or null.
    FormWindow* window(const forms::Form& form) const;
    // The widget that shows a control, or null (timers, menus, common dialogs, forms not loaded).
    QWidget* widget(const forms::Control& control) const;

    // Runs what a user did, from a Qt slot or event handler, through Runtime::userAction: run-time errors
    // are logged there; End ends the program (see setEndHandler). Ignored while the renderer itself is
    // updating widgets (that is no user's doing) and once the program has ended.
    void user(const std::string& what, const std::function<void()>& action);
    bool applying() const { return m_applying > 0; }
    bool ending() const { return m_ending; }

    // Marks the renderer's own updates of widgets: signals they cause are not user actions.
    class ApplyScope {
    public:
        explicit ApplyScope(QtDriver& driver) : m_driver(driver) { ++m_driver.m_applying; }
        ~ApplyScope() { --m_driver.m_applying; }
        ApplyScope(const ApplyScope&) = delete;
        ApplyScope& operator=(const ApplyScope&) = delete;

    private:
        QtDriver& m_driver;
    };

    // What the End statement does once it reaches a slot. Qt cannot unwind an exception through its event
    // loop, so by default the process ends right there: the standard streams are flushed and std::quick_exit
    // runs with the code (handlers registered with at_quick_exit run; static destructors do not). With a handler
    // (tests), the handler gets the code, every loop the driver runs is left, and runModal, doEvents, popupMenu and
    // commonDialog throw vb::EndProgram on their way out so that no further handler code runs.
    using EndHandler = std::function<void(int exitCode)>;
    void setEndHandler(EndHandler handler) { m_endHandler = std::move(handler); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ModalFrame {
        forms::Form* form;
        QEventLoop* loop;
    };

    void onFocusChanged(QWidget* now);
    // The window a modal form that is about to open belongs to; null when no other window shows.
    QWidget* modalOwner(const FormWindow& modal) const;
    // A mouse press on a movie control's page reaches the control as a click (it takes the focus).
    void movieClicked(QWidget* target, QEvent* event);
    void checkLoops();
    void finish(int exitCode);
    void throwIfEnded() const;
    void applyScreenPointer();

    forms::Runtime& m_runtime;
    std::shared_ptr<MovieViews> m_movieViews;
    std::map<const forms::Form*, FormWindow*> m_windows;
    std::vector<ModalFrame> m_modalLoops;
    QEventLoop* m_mainLoop = nullptr;
    QTimer* m_pointerTimer = nullptr;
    QSocketNotifier* m_watched = nullptr;
    const QEvent* m_lastPress = nullptr;
    int m_applying = 0;
    bool m_ending = false;
    int m_exitCode = 0;
    int m_screenPointer = 0;
    EndHandler m_endHandler;
};

} // namespace glw::qt
