// User-drawn controls: pixel mouse events with capture, composite focus, the property bag.
#include "UserControl.h"

#include "Form.h"

#include <algorithm>

namespace glw::forms {

SurfaceControl::SurfaceControl(Form& form, ControlKind kind, std::string name, int index)
    : Control(form, kind, std::move(name), index) {}

void SurfaceControl::Refresh() {
    Surface.Clear(BackColor);
    paintSurface();
}

void SurfaceControl::userMouseDown(int button, int shift, float x, float y) {
    MouseDown.raise(button, shift, x, y);
}

void SurfaceControl::userMouseMove(int buttons, int shift, float x, float y) {
    MouseMove.raise(buttons, shift, x, y);
}

void SurfaceControl::userMouseUp(int button, int shift, float x, float y) {
    struct Release {
        DrawSurface& surface;
        ~Release() { surface.ReleaseCapture(); }
    } release{Surface};
    MouseUp.raise(button, shift, x, y);
}

bool PropertyBag::contains(const std::string& name) const {
    return std::any_of(m_values.begin(), m_values.end(), [&](const auto& v) { return v.first == name; });
}

std::vector<std::string> PropertyBag::names() const {
    std::vector<std::string> out;
    for (const auto& v : m_values) {
        out.push_back(v.first);
    }
    return out;
}

void PropertyBag::erase(const std::string& name) {
    m_values.erase(std::remove_if(m_values.begin(), m_values.end(), [&](const auto& v) { return v.first == name; }),
                   m_values.end());
}

UserControl::UserControl(Form& form, std::string name, int index)
    : SurfaceControl(form, ControlKind::UserControl, std::move(name), index) {}

bool UserControl::contains(const Control* control) const {
    for (const Control* c = control; c; c = c->Container()) {
        if (c == this) {
            return true;
        }
    }
    return false;
}

bool UserControl::canFocus() const {
    for (const Control* c : form().controls()) {
        if (c != this && contains(c) && c->canFocus() && c->effectivelyVisible() && c->effectivelyEnabled()) {
            return false;
        }
    }
    return true;
}

void UserControl::focusMoved(Form& form, Control* from, Control* to) {
    // Every user control that held the focus and no longer does exits, then every one that gains it enters.
    // Losing the focus ends a capture, as a click elsewhere would.
    if (auto* s = dynamic_cast<SurfaceControl*>(from)) {
        s->Surface.ReleaseCapture();
    }
    std::vector<UserControl*> exits, enters;
    for (Control* c : form.controls()) {
        if (auto* uc = dynamic_cast<UserControl*>(c)) {
            const bool had = uc->contains(from);
            const bool has = uc->contains(to);
            if (had && !has) {
                exits.push_back(uc);
            } else if (has && !had) {
                enters.push_back(uc);
            }
        }
    }
    for (UserControl* uc : exits) {
        uc->Surface.ReleaseCapture();
        for (Control* c : form.controls()) {
            if (auto* s = dynamic_cast<SurfaceControl*>(c); s && uc->contains(c)) {
                s->Surface.ReleaseCapture();
            }
        }
        uc->ExitFocus.raise();
    }
    for (UserControl* uc : enters) {
        uc->EnterFocus.raise();
    }
}

} // namespace glw::forms
