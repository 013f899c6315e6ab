// Control base: registration with the form, containers, focus and property notification.
#include "Control.h"

#include "Form.h"
#include "Runtime.h"

namespace glw::forms {

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return "Label";
    case ControlKind::TextBox:
        return "TextBox";
    case ControlKind::CommandButton:
        return "CommandButton";
    case ControlKind::CheckBox:
        return "CheckBox";
    case ControlKind::OptionButton:
        return "OptionButton";
    case ControlKind::Frame:
        return "Frame";
    case ControlKind::ListBox:
        return "ListBox";
    case ControlKind::ComboBox:
        return "ComboBox";
    case ControlKind::PictureBox:
        return "PictureBox";
    case ControlKind::Image:
        return "Image";
    case ControlKind::HScrollBar:
        return "HScrollBar";
    case ControlKind::Timer:
        return "Timer";
    case ControlKind::ListView:
        return "ListView";
    case ControlKind::Slider:
        return "Slider";
    case ControlKind::ProgressBar:
        return "ProgressBar";
    case ControlKind::DriveListBox:
        return "DriveListBox";
    case ControlKind::DirListBox:
        return "DirListBox";
    case ControlKind::FileListBox:
        return "FileListBox";
    case ControlKind::Menu:
        return "Menu";
    case ControlKind::CommonDialog:
        return "CommonDialog";
    case ControlKind::FlashPlayer:
        return "FlashPlayer";
    case ControlKind::UserControl:
        return "UserControl";
    }
    return "Control";
}

Control::Control(Form& form, ControlKind kind, std::string name, int index)
    : m_form(form), m_kind(kind), m_name(std::move(name)), m_index(index) {
    m_form.registerControl(this);
}

Control::~Control() {
    m_form.unregisterControl(this);
}

Runtime& Control::runtime() const {
    return m_form.runtime();
}

std::string Control::displayName() const {
    return m_index >= 0 ? m_name + "(" + std::to_string(m_index) + ")" : m_name;
}

std::string Control::fullName() const {
    return m_form.name() + "." + displayName();
}

void Control::setContainer(Control* container) {
    m_container = container;
    propertyChanged(PropertyId::Container);
}

bool Control::effectivelyVisible() const {
    for (const Control* c = this; c; c = c->m_container) {
        if (!c->Visible) {
            return false;
        }
    }
    return true;
}

bool Control::effectivelyEnabled() const {
    for (const Control* c = this; c; c = c->m_container) {
        if (!c->Enabled) {
            return false;
        }
    }
    return true;
}

void Control::Move(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    if (width >= 0) {
        Width = width;
    }
    if (height >= 0) {
        Height = height;
    }
}

void Control::SetFocus() {
    if (!canFocus() || !effectivelyVisible() || !effectivelyEnabled() || !m_form.Visible) {
        vb::raise(vb::ErrInvalidCall, "Invalid procedure call or argument");
    }
    m_form.setActive(this);
}

void Control::focusByClick() {
    if (effectivelyVisible() && m_form.Visible) {
        m_form.setActive(this);
    }
}

bool Control::hasFocus() const {
    return m_form.ActiveControl() == this;
}

void Control::propertyChanged(PropertyId id) {
    m_form.controlPropertyChanged(*this, id);
}

void place(Control& control, int x, int y, int width, int height) {
    const int k = kTwipsPerDesignPixel;
    control.Move(x * k, y * k, width * k, height * k);
}

void placeInside(Control& control, Control& container, int x, int y, int width, int height) {
    control.setContainer(&container);
    place(control, x, y, width, height);
}

void notifyLoaded(Form& form, Control& control) {
    form.controlLoaded(control);
}

void declareArray(Form& form, const std::string& name) {
    form.declareArray(name);
}

void Control::ZOrder(int position) {
    m_form.restack(*this, position);
}

void raiseNoSuchElement(const std::string& name, int index) {
    vb::raise(340, "Control array element '" + std::to_string(index) + "' doesn't exist (" + name + ")");
}

} // namespace glw::forms
