// Form lifecycle (load, show, modal loop, unload with cancel), focus and keyboard routing.
#include "Form.h"

#include "Controls.h"
#include "Runtime.h"
#include "UserControl.h"

#include <algorithm>

namespace glw::forms {

Form::Form(Runtime& runtime, std::string name) : m_runtime(runtime), m_name(std::move(name)) {}

Form::~Form() {
    // A form that goes away while loaded (its owner dropped it) leaves the runtime without events.
    if (m_loaded) {
        m_loaded = false;
        m_runtime.formUnloaded(*this);
    }
}

void Form::declareArray(const std::string& name) {
    m_arraySlots.emplace(name, m_nextSlot++);
}

void Form::registerControl(Control* control) {
    m_controls.push_back(control);
    auto slot = control->isArrayElement() ? m_arraySlots.find(control->name()) : m_arraySlots.end();
    control->m_designSlot = slot != m_arraySlots.end() ? slot->second : m_nextSlot++;
    // Just above the last control declared before it (or a lower element of its array): in design order when
    // nothing has been moved, and above its array's other elements when loaded later.
    auto earlier = [control](const Control* other) {
        return other->m_designSlot < control->m_designSlot ||
               (other->m_designSlot == control->m_designSlot && other->Index() < control->Index());
    };
    auto last = std::find_if(m_stack.rbegin(), m_stack.rend(), earlier);
    m_stack.insert(last.base(), control);
}

void Form::restack(Control& control, int position) {
    auto it = std::find(m_stack.begin(), m_stack.end(), &control);
    if (it == m_stack.end()) {
        return;
    }
    m_stack.erase(it);
    if (position == 1) {
        m_stack.insert(m_stack.begin(), &control);
    } else {
        m_stack.push_back(&control);
    }
    if (m_loaded) {
        m_runtime.ui().zOrderChanged(*this, control);
    }
}

void Form::controlLoaded(Control& control) {
    if (m_loaded) {
        m_runtime.ui().controlAdded(*this, control);
    }
}

void Form::unregisterControl(Control* control) {
    if (m_active == control) {
        m_active = nullptr;
    }
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
    m_stack.erase(std::remove(m_stack.begin(), m_stack.end(), control), m_stack.end());
    if (m_loaded) {
        m_runtime.ui().controlRemoved(*this, *control);
    }
}

Control* Form::findControl(std::string_view name, int index) const {
    for (Control* c : m_controls) {
        if (c->name() == name && c->Index() == index) {
            return c;
        }
    }
    return nullptr;
}

void Form::Load() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    m_runtime.formLoaded(*this);
    Form_Load();
}

void Form::Show(int modal) {
    Load();
    if (!m_loaded) { // Form_Load unloaded it again
        return;
    }
    Visible = true;
    m_runtime.ui().formShown(*this);
    if (!m_active) {
        // The first control that can take the focus gets it, as when a window opens.
        for (Control* c : m_controls) {
            if (c->canFocus() && c->effectivelyVisible() && c->effectivelyEnabled()) {
                setActive(c);
                break;
            }
        }
    }
    if (modal == vbModal) {
        m_modal = true;
        m_runtime.modalStarted(*this);
        struct ModalEnd {
            Form& form;
            ~ModalEnd() {
                form.m_modal = false;
                form.m_runtime.modalEnded(form);
            }
        } end{*this};
        m_runtime.ui().runModal(*this);
    }
}

void Form::Hide() {
    Visible = false;
}

bool Form::Unload(int mode) {
    if (!m_loaded) {
        return true;
    }
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel) {
        return false;
    }
    Form_Unload(cancel);
    if (cancel) {
        return false;
    }
    if (!m_loaded) { // unloaded again from inside its own handlers
        return true;
    }
    Visible.store(false);
    m_loaded = false;
    m_active = nullptr;
    m_runtime.formUnloaded(*this);
    return true;
}

void Form::Move(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    if (width >= 0) {
        Width = width;
    }
    if (height >= 0) {
        Height = height;
    }
}

void Form::PopupMenu(Menu& menu) {
    m_runtime.ui().popupMenu(*this, menu);
}

void Form::setActive(Control* control) {
    if (m_active == control) {
        return;
    }
    Control* old = m_active;
    m_active = control;
    m_runtime.ui().focusChanged(*this, control);
    if (old) {
        old->LostFocus.raise();
    }
    // User-drawn controls: capture ends, and composite controls learn that the focus left or entered them.
    UserControl::focusMoved(*this, old, control);
    if (control && m_active == control) {
        control->GotFocus.raise();
    }
}

void Form::userClose() {
    Unload(vbFormControlMenu);
}

void Form::userKeyDown(int keyCode, int shift) {
    if (KeyPreview) {
        Form_KeyDown(keyCode, shift);
        if (keyCode == 0) {
            return;
        }
    }
    if (auto* text = dynamic_cast<TextBox*>(m_active)) {
        text->KeyDown.raise(keyCode, shift);
    } else if (auto* surface = dynamic_cast<SurfaceControl*>(m_active)) { // user-drawn controls
        surface->userKeyDown(keyCode, shift);
    }
}

void Form::userKeyPress(int keyAscii) {
    if (KeyPreview) {
        Form_KeyPress(keyAscii);
        if (keyAscii == 0) {
            return;
        }
    }
    // Esc presses the cancel button wherever the focus is, a text box included; Enter presses the default
    // button only when the focus is not in a text box, which takes Enter for itself.
    auto* text = dynamic_cast<TextBox*>(m_active);
    if (text && keyAscii != vbKeyEscape) {
        text->userKeyPress(keyAscii);
        return;
    }
    for (Control* c : m_controls) {
        if (auto* button = dynamic_cast<CommandButton*>(c)) {
            if (((keyAscii == vbKeyReturn && button->Default) || (keyAscii == vbKeyEscape && button->Cancel)) &&
                button->effectivelyVisible() && button->effectivelyEnabled()) {
                button->userClick();
                return;
            }
        }
    }
    if (text) {
        text->userKeyPress(keyAscii);
    }
}

void Form::userActivate() {
    Form_Activate();
}
void Form::userDeactivate() {
    Form_Deactivate();
}
void Form::userMouseMove(int button, int shift, float x, float y) {
    Form_MouseMove(button, shift, x, y);
}
void Form::userClick() {
    Form_Click();
}

void Form::userResize(int width, int height) {
    if (width == Width && height == Height) {
        return;
    }
    m_resizing = true;
    try {
        Width = width;
        Height = height;
    } catch (...) {
        m_resizing = false;
        throw;
    }
    m_resizing = false;
    if (m_loaded) {
        Form_Resize();
    }
}

int Form::ScaleWidth() const {
    return std::max(0, Width - m_runtime.ui().frameOf(*this).width);
}

int Form::ScaleHeight() const {
    return std::max(0, Height - m_runtime.ui().frameOf(*this).height);
}

void Form::propertyChanged(PropertyId name) {
    if (!m_loaded) {
        return;
    }
    m_runtime.ui().propertyChanged(*this, nullptr, name);
    if (name == PropertyId::Caption && m_runtime.trace().enabled()) {
        m_runtime.trace().write("caption " + m_name + " " + Trace::quote(Caption));
    }
    if (!m_resizing && (name == PropertyId::Width || name == PropertyId::Height || name == PropertyId::WindowState ||
                        name == PropertyId::BorderStyle)) {
        Form_Resize();
    }
}

void Form::controlPropertyChanged(Control& control, PropertyId name) {
    if (m_loaded) {
        m_runtime.ui().propertyChanged(*this, &control, name);
    }
}

} // namespace glw::forms
