// The hooks between the forms runtime and whatever shows it: the headless driver for tests and scripted
// runs, or the desktop renderer. Property changes go out; user actions come in through the controls'
// user...() members; modal loops, the message pump, popup menus and common dialogs are delegated here.
#pragma once

#include "CommonDialog.h"

#include <functional>
#include <string_view>

namespace glw::forms {

class Form;
class Control;
class Menu;

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What a window's frame and caption take of a form's Width and Height, in twips.
struct FrameTwips {
    int width = 0;
    int height = 0;
};

class UiDriver {
public:
    virtual ~UiDriver() = default;

    virtual void formLoaded(Form&) {}
    virtual void formUnloaded(Form&) {}
    virtual void formShown(Form&) {}
    // A property of the form (control null) or of one of its controls changed.
    virtual void propertyChanged(Form&, Control*, PropertyId /*property*/) {}
    virtual void controlAdded(Form&, Control&) {}
    virtual void controlRemoved(Form&, Control&) {}
    // `Control::ZOrder` moved the control in the form's stacking order.
    virtual void zOrderChanged(Form&, Control&) {}
    virtual void focusChanged(Form&, Control*) {}

    // Runs a nested loop until the form is unloaded or hidden.
    virtual void runModal(Form& form) = 0;
    // Runs until no form is left or the program ends.
    virtual void runMainLoop() = 0;
    // Lets pending user input and painting run (DoEvents).
    virtual void doEvents() {}
    // Shows the menu; runs the chosen item's Click (through Menu::userClick) before returning.
    virtual void popupMenu(Form&, Menu&) = 0;
    virtual DialogAnswer commonDialog(Form&, const DialogRequest&) = 0;
    // Calls `ready` whenever the descriptor `fd` has something to read, where a user's action would run:
    // between the actions of a headless run and in its DoEvents, or from the desktop's event loop. The
    // launcher passes the pipe on which the termination signals arrive. One descriptor at a time.
    virtual void watchReadable(int /*fd*/, std::function<void()> /*ready*/) {}
    // Shows the loaded form, before it first shows, inside another program's window `windowId` of the
    // desktop: as a child of that window without a frame, filling it and following its size (the form
    // learns each size through Form::userResize). Once that window is destroyed the form is closed as by
    // its close box. False when there is no such window here (no display, or no window of that id); the
    // form then stays as it was. A driver without windows takes any id above 0.
    virtual bool embedIn(Form& /*form*/, unsigned long windowId) { return windowId > 0; }
    // The control's window rectangle on the screen, in pixels.
    virtual PixelRect screenRect(const Control& control);
    // What the frame takes of the form's Width and Height (Form::ScaleWidth is the rest). Without real
    // windows, a standard frame: 4 pixels of border on every side and a 22-pixel caption, none for a form
    // without a border (BorderStyle 0).
    virtual FrameTwips frameOf(const Form& form);
};

} // namespace glw::forms
