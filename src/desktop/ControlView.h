// The widget side of one control: builds its Qt widget, shows the control's properties in it, and turns the
// widget's signals into the control's user...() calls. One view class per family of controls; the factory
// picks it by ControlKind, so a form needs no renderer code of its own.
#pragma once

#include "Units.h"
#include "forms/Control.h"
#include "platform/Services.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QPixmap;

namespace glw::qt {

class FormWindow;
class QtDriver;
struct PixelBox;
struct VbKey;

class ControlView : public QObject {
public:
    ControlView(FormWindow& window, forms::Control& control);
    ~ControlView() override;

    // The control, null once it is gone (its form was unloaded or the element removed).
    forms::Control* control() const { return m_control; }
    // The widget, null for controls that show none (timers, menus, common dialogs).
    QWidget* widget() const { return m_widget; }
    // Where the controls this one contains are put (frames and picture boxes).
    virtual QWidget* childParent() const { return nullptr; }
    // The band at the top of a container that its caption takes.
    virtual Pixels childTopInset() const { return {}; }

    // Creates the widget under `parent`.
    void build(QWidget* parent);
    // Moves the widget under another container's widget.
    void reparent(QWidget* parent);
    // Shows one property of the control in the widget ("" shows them all), with the widget's signals blocked.
    // Geometry is the form window's business (it knows the siblings).
    void apply(forms::PropertyId property);
    // After a user's action on this control: shows the runtime's value again, in case a handler changed it or
    // the widget's own idea (a radio button unchecking itself) differs.
    virtual void resync() {}
    // The control goes away: no more calls into it. The widget is deleted later (it may be the sender of the
    // signal that is running).
    void detach();
    // The whole form is gone: no more calls into the control; the widget goes with the window.
    void forget() { m_control = nullptr; }
    // Shows what the view put off with settleLater(). The window calls it once the turn of the event loop
    // that made the changes is over, or sooner when someone looks at the widget.
    void settle();

    // The size the widget takes when the form gives none.
    virtual QSize defaultSize() const;
    // Lets a view fix its rectangle (an image without Stretch takes its picture's size).
    virtual void adjustBox(PixelBox& /*box*/) const {}
    // A key typed while this control has the focus, after KeyDown went to the form. Returns true when the
    // key was handled here and the widget must not see it.
    virtual bool typeKey(const VbKey& key);

protected:
    // Builds the widget; null for controls without one.
    virtual QWidget* createWidget(QWidget* parent) = 0;
    // Shows a property of the control's own kind ("" for all of them).
    virtual void applyOwn(forms::PropertyId property) = 0;
    // The background the runtime gives this kind by default: left to the style when it has not changed.
    virtual long defaultBackColor() const;
    // Widgets that paint their own background (labels, frames, pictures) fill it when it is not the default.
    virtual bool fillsBackground() const { return false; }
    // Paints its background even in the default colour, so that what lies below it never shows through
    // (picture boxes and frames over the movie cells).
    virtual bool opaque() const { return false; }

    // Puts work off until settle(): a list filled one AddItem at a time is shown once, in one pass, and not
    // once per entry.
    void settleLater();
    // What settleLater() put off, with the widget's signals blocked.
    virtual void settleOwn() {}

    // Runs the user's action on this control; returns false when the view was detached meanwhile.
    bool user(const std::string& what, const std::function<void()>& action);
    // Replaces the widget (a text box that becomes multi-line): the old one goes, the new one is built.
    void rebuildWidget();
    QtDriver& driver() const;
    FormWindow& window() const { return m_window; }
    // The property named, or all of them.
    static bool wants(forms::PropertyId property, forms::PropertyId name) {
        return property == forms::PropertyId::All || property == name;
    }

    FormWindow& m_window;
    forms::Control* m_control;
    QPointer<QWidget> m_widget;

private:
    bool m_settlePending = false;
    void applyCommon(forms::PropertyId property);
    void applyColours();
};

// The view for a control, chosen by its kind (and its class, for kinds that share one).
std::unique_ptr<ControlView> makeView(FormWindow& window, forms::Control& control);

// A picture of the forms as a Qt pixmap (null when it cannot be read).
QPixmap loadPixmap(const platform::Picture& picture);

// Raises a widget's clicks and double-clicks as the original orders them: Click on the release of each
// single click, DblClick (and no second Click) for the second click of a double-click.
class ClickFilter : public QObject {
public:
    ClickFilter(QWidget* widget, std::function<void()> click, std::function<void()> dblClick = {});
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_click;
    std::function<void()> m_dblClick;
    bool m_afterDouble = false;
};

// The original's mouse-pointer numbers as Qt cursors; false for the default pointer.
bool cursorFor(int mousePointer, Qt::CursorShape& shape);

// Mouse buttons and modifier keys as the forms' mouse events carry them.
int vbMouseButtons(Qt::MouseButtons buttons);
int vbShiftState(Qt::KeyboardModifiers modifiers);

} // namespace glw::qt
