// The top-level window of one form: its menu bar, the client area its controls sit on, a view per control,
// the placement of controls, and the close box, activation and keys of the form.
#pragma once

#include "ControlView.h"
#include "forms/Form.h"

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class QWindow;

namespace glw::forms {
class Menu;
}

namespace glw::qt {

class ForeignWindow;
class QtDriver;
struct VbKey;

class FormWindow : public QWidget {
public:
    FormWindow(QtDriver& driver, forms::Form& form);
    ~FormWindow() override;

    // The form, null once it was unloaded (the window then only waits to be deleted).
    forms::Form* form() const { return m_form; }
    QtDriver& driver() const { return m_driver; }
    // The area below the menu bar that holds the controls.
    QWidget* client() const { return m_client; }

    // Creates a view for every control of the form and shows all properties.
    void build();
    // A control loaded at run time. The runtime tells while the control is still being constructed, so its
    // view is made a moment later (flushPending), once the control is whole.
    void addControl(forms::Control& control);
    // Makes the views of controls added since and settles every view that put work off (settleLater), so
    // that the widgets show the runtime's state. Runs by itself on the next pass of the event loop.
    void flushPending();
    // The view put work off: it is settled on the next pass of the event loop, or by flushPending.
    void settleLater(ControlView& view);
    void removeControl(forms::Control& control);
    // Stacks the widgets of each container in the form's stacking order, the last on top.
    void restack();
    void applyForm(forms::PropertyId property);
    void applyControl(forms::Control& control, forms::PropertyId property);
    // Gives the control's widget the Qt focus (the runtime moved the focus).
    void focusControl(forms::Control* control);
    // Shows the window now if the form is visible and the show is still pending (it is made on the next
    // pass of the event loop, so that a modal form opens modal and without flicker).
    void showNow();
    // Makes the window application-modal (or not). A modal window is a dialog of `owner` (transient for it,
    // so that the window manager keeps it above its owner and never minimises it alone) with no minimise
    // or maximise button: a box hidden that way would leave its owner blocked with nothing to answer.
    void setModal(bool modal, QWidget* owner = nullptr);
    // From now on the window is a child of `host` (another program's window) without a frame, filling it
    // and following its size; once `host` is destroyed the form is closed as by its close box. Call before
    // the window first shows.
    void embedIn(std::unique_ptr<ForeignWindow> host);
    bool embedded() const { return m_host != nullptr; }
    // The form is gone: drops every view; nothing calls into the form any more.
    void detach();

    ControlView* view(const forms::Control& control) const;
    // The view whose widget is `widget` or contains it (the line edit inside a combo box).
    ControlView* viewOfWidget(QWidget* widget) const;
    // A key pressed while `target` (this window or one of its widgets) has the focus: KeyDown to the form
    // (which previews it with KeyPreview), then the typed character. Returns true to keep it from the widget.
    bool handleKey(QWidget* target, const VbKey& key);
    // Adds the visible items of `menu` to `qmenu`; `chosen` maps each action to its item. With
    // `clickOnOpen`, opening a submenu raises its item's Click, as opening a menu title does.
    void fillMenu(QMenu& qmenu, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen, bool clickOnOpen);
    // Whether the menu item is still a control of this form.
    bool hasMenu(const forms::Menu* menu) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ControlView* ensureView(forms::Control& control, int depth = 0);
    void makePendingViews();
    QWidget* parentFor(const forms::Control& control) const;
    // Places the controls of one container (null: the form) by the placement rule.
    void layoutChildren(const forms::Control* container);
    void requestShow();
    void rebuildMenus();
    void scheduleMenus();
    void applyWindowSize();
    // Hands the window's inner size to the form (Form::userResize) when it differs from the form's Width and
    // Height: after a user's resize, or when the window could not take the size asked for (`force`: also
    // when it has the size last asked for, which was already cut to the screen).
    void reportSize(bool force = false);
    void applyWindowFlags();
    void applyTransientParent();
    void layoutBars();
    int menuBarHeight() const;

    QtDriver& m_driver;
    forms::Form* m_form;
    QMenuBar* m_menuBar = nullptr;
    QWidget* m_client = nullptr;
    // Views are QObject children of the window: a removed one is deleted later, the rest go with the window.
    std::map<const forms::Control*, ControlView*> m_views;
    std::vector<forms::Control*> m_pending;
    std::vector<ControlView*> m_unsettled;
    std::map<QAction*, forms::Menu*> m_menuActions;
    QSize m_flowExtent;
    QSize m_requested; // the outer size last asked for by applyWindowSize
    bool m_menusPending = false;
    bool m_showPending = false;
    // The other program's window this one lives in (embedIn), its Qt stand-in, and the look-out for its
    // size and its end.
    std::unique_ptr<ForeignWindow> m_host;
    QWindow* m_hostWindow = nullptr;
    QTimer* m_hostWatch = nullptr;
    void watchHost();
    bool m_modal = false;
    QPointer<QWidget> m_owner; // the window a modal one belongs to
};

} // namespace glw::qt
