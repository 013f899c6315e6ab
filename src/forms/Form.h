// A form: a window with its controls and its event handlers, loaded, shown modeless or modal, and
// unloaded as in the original (Form_Load, Form_QueryUnload and Form_Unload with Cancel).
#pragma once

#include "Control.h"

namespace glw::forms {

class Menu;

enum FormShow : int { vbModeless = 0, vbModal = 1 };
enum UnloadMode : int { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2 };
enum MousePointerShape : int { vbDefault = 0, vbArrow = 1, vbHourglass = 11 };

class Form : public PropertyOwner {
public:
    Form(Runtime& runtime, std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return m_name; }
    Runtime& runtime() const { return m_runtime; }

    Property<std::string> Caption{*this, PropertyId::Caption};
    Property<int> Left{*this, PropertyId::Left, 0};
    Property<int> Top{*this, PropertyId::Top, 0};
    Property<int> Width{*this, PropertyId::Width, 6000};
    Property<int> Height{*this, PropertyId::Height, 4500};
    Property<bool> Visible{*this, PropertyId::Visible, false};
    Property<bool> KeyPreview{*this, PropertyId::KeyPreview, false};
    Property<int> MousePointer{*this, PropertyId::MousePointer, vbDefault};
    Property<long> BackColor{*this, PropertyId::BackColor, kButtonFace};
    Property<int> WindowState{*this, PropertyId::WindowState, 0}; // 0 normal, 1 minimised, 2 maximised
    Property<int> BorderStyle{*this, PropertyId::BorderStyle, 2}; // 0 none, 1 fixed, 2 sizable, 3 fixed dialog
    Property<bool> ShowInTaskbar{*this, PropertyId::ShowInTaskbar, true};

    // The Load statement: registers the form and runs Form_Load once. Loading a loaded form does nothing.
    void Load();
    // Loads if needed and shows the form. Modal: returns when the form has been unloaded or hidden.
    void Show(int modal = vbModeless);
    void Hide();
    // The Unload statement: Form_QueryUnload and Form_Unload, either of which may cancel. Returns
    // whether the form is now unloaded.
    bool Unload(int mode = vbFormCode);
    void Move(int left, int top, int width = -1, int height = -1);
    // Shows the menu at the mouse; the chosen item's Click runs before it returns.
    void PopupMenu(Menu& menu);

    // The inner size in twips: Width and Height less what the window's frame and caption take (the
    // driver says how much; a desktop window's Width and Height already are its inner size). Never negative.
    int ScaleWidth() const;
    int ScaleHeight() const;

    bool loaded() const { return m_loaded; }
    bool modal() const { return m_modal; }
    Control* ActiveControl() const { return m_active; }
    const std::vector<Control*>& controls() const { return m_controls; }
    // Every control in stacking order, back to front. Controls start in the form's design order (an array's
    // elements where the array was declared, by index), the later on top; `Control::ZOrder` moves one.
    const std::vector<Control*>& stackOrder() const { return m_stack; }
    // Declares a control array at this point of the design order: its elements, whenever loaded, stack there.
    void declareArray(const std::string& name);
    // The control of that name (and index, for an array element), or null.
    Control* findControl(std::string_view name, int index = -1) const;

    // --- what a user does, called by the renderer or the script driver ---
    void userClose();                         // the close box
    void userKeyDown(int keyCode, int shift); // to the form first when KeyPreview, then the active control
    void userKeyPress(int keyAscii);
    void userActivate();
    void userDeactivate();
    void userMouseMove(int button, int shift, float x, float y);
    void userClick();
    // The user resized the window: Width and Height (twips) take the new size and Form_Resize runs once.
    void userResize(int width, int height);

    void propertyChanged(PropertyId id) override;
    void controlPropertyChanged(Control& control, PropertyId name);
    // A control made while the form is loaded (an array element's Load), once it is fully constructed.
    void controlLoaded(Control& control);

protected:
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& /*Cancel*/, int /*UnloadMode*/) {}
    virtual void Form_Unload(int& /*Cancel*/) {}
    virtual void Form_KeyDown(int& /*KeyCode*/, int /*Shift*/) {}
    virtual void Form_KeyPress(int& /*KeyAscii*/) {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_MouseMove(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {}
    virtual void Form_Click() {}
    // The size changed: a user resized the window, or the program set Width, Height, WindowState or
    // BorderStyle of the loaded form.
    virtual void Form_Resize() {}

private:
    friend class Control;
    void registerControl(Control* control);
    void unregisterControl(Control* control);
    void setActive(Control* control);
    void restack(Control& control, int position);

    Runtime& m_runtime;
    std::string m_name;
    std::vector<Control*> m_controls;
    std::vector<Control*> m_stack;
    std::map<std::string, int, std::less<>> m_arraySlots; // design slot of each control array
    int m_nextSlot = 0;
    Control* m_active = nullptr;
    bool m_loaded = false;
    bool m_modal = false;
    bool m_resizing = false; // userResize sets Width and Height, and raises Form_Resize once for both
};

} // namespace glw::forms
