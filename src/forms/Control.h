// The base of every control of the forms runtime: name and index (control arrays), container, the
// properties all controls share, focus, and the hooks through which a renderer or a script acts as the user.
#pragma once

#include "Event.h"
#include "Property.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace glw::forms {

class Form;
class Runtime;

enum class ControlKind {
    Label,
    TextBox,
    CommandButton,
    CheckBox,
    OptionButton,
    Frame,
    ListBox,
    ComboBox,
    PictureBox,
    Image,
    HScrollBar,
    Timer,
    ListView,
    Slider,
    ProgressBar,
    DriveListBox,
    DirListBox,
    FileListBox,
    Menu,
    CommonDialog,
    FlashPlayer,
    UserControl, // user-drawn composite controls (UserControl.h)
};

const char* kindName(ControlKind kind);

// Colours are whole numbers in the platform's RGB order: red in the low byte.
constexpr long rgb(int r, int g, int b) {
    return long(r & 0xFF) | (long(g & 0xFF) << 8) | (long(b & 0xFF) << 16);
}
constexpr long kWindowBackground = rgb(255, 255, 255);
constexpr long kButtonFace = rgb(212, 208, 200);
constexpr long kWindowText = rgb(0, 0, 0);

// Mouse buttons and shift states as event arguments carry them.
enum MouseButton : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum ShiftState : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

class Control : public PropertyOwner {
public:
    // Registers the control with its form. `index` is its element number in a control array, -1 for none.
    Control(Form& form, ControlKind kind, std::string name, int index = -1);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return m_kind; }
    const std::string& name() const { return m_name; }
    int Index() const { return m_index; }
    bool isArrayElement() const { return m_index >= 0; }
    std::string displayName() const; // "FSel(3)" or "Cats"
    std::string fullName() const;    // "Form1.FSel(3)"
    Form& form() const { return m_form; }
    Runtime& runtime() const;

    // The frame (or picture box) that contains the control; null for the form itself.
    Control* Container() const { return m_container; }
    void setContainer(Control* container);
    // Visible, and every container up to the form visible too (hiding a frame hides its children).
    bool effectivelyVisible() const;
    bool effectivelyEnabled() const;

    Property<bool> Visible{*this, PropertyId::Visible, true};
    Property<bool> Enabled{*this, PropertyId::Enabled, true};
    Property<std::string> ToolTipText{*this, PropertyId::ToolTipText};
    Property<long> BackColor{*this, PropertyId::BackColor, kButtonFace};
    Property<long> ForeColor{*this, PropertyId::ForeColor, kWindowText};
    Property<int> Left{*this, PropertyId::Left, 0};
    Property<int> Top{*this, PropertyId::Top, 0};
    Property<int> Width{*this, PropertyId::Width, 0};
    Property<int> Height{*this, PropertyId::Height, 0};
    Property<std::string> Tag{*this, PropertyId::Tag};
    Property<int> MousePointer{*this, PropertyId::MousePointer, 0};

    // Moves and sizes in twips; a negative width or height keeps that dimension.
    void Move(int left, int top, int width = -1, int height = -1);
    // Gives the control the focus (LostFocus on the old one, GotFocus on this); run-time error 5 when it
    // is hidden or disabled, as the original.
    void SetFocus();
    bool hasFocus() const;
    virtual bool canFocus() const { return false; }
    // Brings the control to the front of its container (0) or sends it to the back (1).
    void ZOrder(int position = 0);
    // Where the control was declared on the form: its design slot, and its index within an array.
    int designSlot() const { return m_designSlot; }

    Event<> GotFocus;
    Event<> LostFocus;

    // --- what a user does, called by the renderer or the script driver ---
    // A click on the control (buttons, check and option boxes, labels, pictures, menu items).
    virtual void userClick() {}
    virtual void userDblClick() {}

    void propertyChanged(PropertyId id) override;

protected:
    friend class Form;
    // A click gives the control the focus even where SetFocus would not take it (a movie's window takes
    // the focus from the control that had it): LostFocus on the old one. Nothing when hidden.
    void focusByClick();

private:
    Form& m_form;
    ControlKind m_kind;
    std::string m_name;
    int m_index;
    Control* m_container = nullptr;
    int m_designSlot = 0;
};

// A control array: elements share a name and each event carries the element's index. Handlers bound
// with on() reach every element, including those loaded later.
void declareArray(Form& form, const std::string& name);

template <class T> class ControlArray {
public:
    ControlArray(Form& form, std::string name) : m_form(form), m_name(std::move(name)) { declareArray(m_form, m_name); }

    // Creates element `index` (design time, or the Load statement at run time).
    T& add(int index) {
        auto& slot = m_elements[index];
        slot = std::make_unique<T>(m_form, m_name, index);
        for (auto& bind : m_binders) {
            bind(*slot);
        }
        notifyLoaded(m_form, *slot);
        return *slot;
    }
    // The Unload statement for a run-time element.
    void remove(int index) { m_elements.erase(index); }

    // Element access; run-time error 340 when the element does not exist.
    T& operator[](int index);
    const T& operator[](int index) const { return const_cast<ControlArray&>(*this)[index]; }
    bool exists(int index) const { return m_elements.count(index) != 0; }
    int LBound() const { return m_elements.empty() ? 0 : m_elements.begin()->first; }
    int UBound() const { return m_elements.empty() ? -1 : m_elements.rbegin()->first; }
    int Count() const { return int(m_elements.size()); }
    const std::string& name() const { return m_name; }

    // Binds an event of every element to one handler that receives the element's index first:
    //   chkBrowseWhat.on(&OptionButton::Click, [this](int Index) { chkBrowseWhat_Click(Index); });
    template <class... A, class F> void on(Event<A...> T::*event, F handler) {
        auto bind = [event, handler](T& element) {
            const int index = element.Index();
            (element.*event) = [handler, index](A... args) { handler(index, std::forward<A>(args)...); };
        };
        for (auto& [index, element] : m_elements) {
            bind(*element);
        }
        m_binders.push_back(bind);
    }

private:
    Form& m_form;
    std::string m_name;
    std::map<int, std::unique_ptr<T>> m_elements;
    std::vector<std::function<void(T&)>> m_binders;
};

// Forms are laid out on a design grid of pixels of 15 twips each, as the original form designer's were.
constexpr int kTwipsPerDesignPixel = 15;
// Moves and sizes a control given in design pixels.
void place(Control& control, int x, int y, int width, int height);
// Puts a control inside a container (a frame, a picture box) and places it there in design pixels.
void placeInside(Control& control, Control& container, int x, int y, int width, int height);

[[noreturn]] void raiseNoSuchElement(const std::string& name, int index);
void notifyLoaded(Form& form, Control& control);

template <class T> T& ControlArray<T>::operator[](int index) {
    auto it = m_elements.find(index);
    if (it == m_elements.end()) {
        raiseNoSuchElement(m_name, index);
    }
    return *it->second;
}

} // namespace glw::forms
