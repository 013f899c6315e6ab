// User-drawn controls: a control with a drawing surface, pixel mouse events, clicks and pointer capture
// (SurfaceControl); the picture box that program code draws on (SurfacePicture); and the composite user
// control that holds constituent controls, learns when the focus enters and leaves it, and keeps its
// persisted properties in a property bag with defaults (UserControl).
#pragma once

#include "DrawSurface.h"
#include "Event.h"

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace glw::forms {

class SurfaceControl : public Control {
public:
    SurfaceControl(Form& form, ControlKind kind, std::string name, int index = -1);

    DrawSurface Surface{*this};

    // Button (or buttons, for a move), Shift, X and Y in pixels of the surface.
    Event<int, int, float, float> MouseDown;
    Event<int, int, float, float> MouseMove;
    Event<int, int, float, float> MouseUp;
    Event<> Click;
    Event<> DblClick;
    Event<int&, int> KeyDown; // KeyCode, Shift
    Event<> Paint;

    // Clears the surface to the back colour and raises Paint.
    void Refresh();

    bool canFocus() const override { return true; }

    // --- what a user does, called by the renderer or a test ---
    void userMouseDown(int button, int shift, float x, float y);
    void userMouseMove(int buttons, int shift, float x, float y);
    // Raises MouseUp, then releases the pointer capture.
    void userMouseUp(int button, int shift, float x, float y);
    void userClick() override { Click.raise(); }
    void userDblClick() override { DblClick.raise(); }
    virtual void userKeyDown(int keyCode, int shift) { KeyDown.raise(keyCode, shift); }

protected:
    // Runs the paint: raises Paint.
    virtual void paintSurface() { Paint.raise(); }
};

// A picture box whose surface program code draws on, in pixels (the grid of a colour picker).
class SurfacePicture : public SurfaceControl {
public:
    SurfacePicture(Form& form, std::string name, int index = -1)
        : SurfaceControl(form, ControlKind::PictureBox, std::move(name), index) {}
};

// The persisted properties of a user control: a value equal to its default is not stored, and a read of a
// missing or differently typed value gives the default.
class PropertyBag {
public:
    using Value = std::variant<long, bool, std::string>;

    template <class T> T ReadProperty(const std::string& name, T defaultValue) const {
        for (const auto& [key, value] : m_values) {
            if (key == name) {
                if (const auto* v = std::get_if<Stored<T>>(&value)) {
                    return T(*v);
                }
                return defaultValue;
            }
        }
        return defaultValue;
    }
    template <class T> void WriteProperty(const std::string& name, T value, T defaultValue) {
        erase(name);
        if (!(value == defaultValue)) {
            m_values.emplace_back(name, Value(Stored<T>(std::move(value))));
        }
    }
    // A value written without a default is always stored.
    template <class T> void WriteProperty(const std::string& name, T value) {
        erase(name);
        m_values.emplace_back(name, Value(Stored<T>(std::move(value))));
    }
    bool contains(const std::string& name) const;
    // The stored names in the order they were written.
    std::vector<std::string> names() const;

private:
    template <class T>
    using Stored =
        std::conditional_t<std::is_same_v<T, bool>, bool, std::conditional_t<std::is_integral_v<T>, long, std::string>>;
    void erase(const std::string& name);
    std::vector<std::pair<std::string, Value>> m_values;
};

class UserControl : public SurfaceControl {
public:
    UserControl(Form& form, std::string name, int index = -1);

    // The focus moved from outside into the control or one of its constituent controls, or out again.
    Event<> EnterFocus;
    Event<> ExitFocus;

    // Whether `control` is this control or lies inside it.
    bool contains(const Control* control) const;
    // The focus goes to the constituent controls; the control itself takes it only when none of them can.
    bool canFocus() const override;

    // The container's side of persistence: a new instance on a form, loading, saving.
    void InitProperties() { UserControl_InitProperties(); }
    void ReadProperties(const PropertyBag& bag) { UserControl_ReadProperties(bag); }
    PropertyBag WriteProperties() {
        PropertyBag bag;
        UserControl_WriteProperties(bag);
        return bag;
    }

    // Called by the form when its active control changes.
    static void focusMoved(Form& form, Control* from, Control* to);

    // What the user does to the control's own face goes to its handlers; the events Click, DblClick,
    // KeyDown and Paint are left to the control to raise as its own public events.
    void userClick() override { UserControl_Click(); }
    void userDblClick() override { UserControl_DblClick(); }
    void userKeyDown(int keyCode, int shift) override { UserControl_KeyDown(keyCode, shift); }

protected:
    virtual void UserControl_Click() {}
    virtual void UserControl_DblClick() {}
    virtual void UserControl_KeyDown(int /*KeyCode*/, int /*Shift*/) {}
    virtual void UserControl_Paint() {}
    void paintSurface() override { UserControl_Paint(); }

    virtual void UserControl_InitProperties() {}
    virtual void UserControl_ReadProperties(const PropertyBag& /*PropBag*/) {}
    virtual void UserControl_WriteProperties(PropertyBag& /*PropBag*/) {}
    // Tells the container that a persisted property changed. Only a form designer would store it again, and
    // this system has none: the control's face is drawn through its surface, so nothing else follows.
    void PropertyChanged(std::string_view /*name*/) {}
};

} // namespace glw::forms
