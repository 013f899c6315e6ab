// The standard controls of the forms runtime, with the properties, methods and events the system's
// forms use and the behaviour of the original: a value set from code raises the same event as a user.
#pragma once

#include "Control.h"
#include "platform/Services.h"

#include <optional>

namespace glw::forms {

class Label : public Control {
public:
    Label(Form& form, std::string name, int index = -1) : Control(form, ControlKind::Label, std::move(name), index) {}
    Property<std::string> Caption{*this, PropertyId::Caption};
    Property<int> Alignment{*this, PropertyId::Alignment, 0}; // 0 left, 1 right, 2 centre
    Property<bool> WordWrap{*this, PropertyId::WordWrap, true};
    Event<> Click;
    Event<> DblClick;
    void userClick() override { Click.raise(); }
    void userDblClick() override { DblClick.raise(); }
};

// Key codes the system tests for.
enum KeyCode : int {
    vbKeyBack = 8,
    vbKeyReturn = 13,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyA = 65,
    vbKeyF1 = 112,
};

class TextBox : public Control {
public:
    TextBox(Form& form, std::string name, int index = -1);
    // Setting Text raises Change whenever the text changes, from code as from typing.
    Property<std::string> Text;
    Property<bool> MultiLine{*this, PropertyId::MultiLine, false};
    Property<bool> Locked{*this, PropertyId::Locked, false};
    Property<int> MaxLength{*this, PropertyId::MaxLength, 0};
    Property<std::string> PasswordChar{*this, PropertyId::PasswordChar};
    Event<> Change;
    Event<int&> KeyPress;     // KeyAscii, which the handler may change (0 swallows the key)
    Event<int&, int> KeyDown; // KeyCode, Shift
    Event<> Click;
    bool canFocus() const override { return true; }

    // A key the user typed: KeyPress first, then the character (or backspace) goes into the text.
    void userKeyPress(int keyAscii);
    void userType(const std::string& text); // every character through userKeyPress
    // The renderer's edited text as a whole (typing in a real widget): raises Change once.
    void userSetText(const std::string& text) { Text = text; }
    void userClick() override { Click.raise(); }
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name, int index = -1)
        : Control(form, ControlKind::CommandButton, std::move(name), index) {}
    Property<std::string> Caption{*this, PropertyId::Caption};
    Property<platform::Picture> Picture{*this, PropertyId::Picture};
    Property<int> Style{*this, PropertyId::Style, 0}; // 1 graphical: shows Picture
    Property<bool> Default{*this, PropertyId::Default, false};
    Property<bool> Cancel{*this, PropertyId::Cancel, false};
    Event<> Click;
    bool canFocus() const override { return true; }
    void userClick() override;
};

enum CheckValue : int { vbUnchecked = 0, vbChecked = 1, vbGrayed = 2 };

class CheckBox : public Control {
public:
    CheckBox(Form& form, std::string name, int index = -1);
    Property<std::string> Caption{*this, PropertyId::Caption};
    // Setting a different Value raises Click, exactly as the user's click does.
    Property<int> Value;
    Event<> Click;
    bool canFocus() const override { return true; }
    void userClick() override;
};

class OptionButton : public Control {
public:
    OptionButton(Form& form, std::string name, int index = -1);
    Property<std::string> Caption{*this, PropertyId::Caption};
    // Setting True clears the other option buttons of the same container and raises Click (only when it
    // was not already True). Setting False only clears it.
    Property<bool> Value;
    Event<> Click;
    bool canFocus() const override { return true; }
    void userClick() override;
};

// A frame holds other controls (their Container); hiding it hides them.
class Frame : public Control {
public:
    Frame(Form& form, std::string name, int index = -1) : Control(form, ControlKind::Frame, std::move(name), index) {}
    Property<std::string> Caption{*this, PropertyId::Caption};
    Event<> Click;
    void userClick() override { Click.raise(); }
};

// The list of texts shared by list and combo boxes.
class ListControl : public Control {
public:
    ListControl(Form& form, ControlKind kind, std::string name, int index);

    void AddItem(const std::string& item, int index = -1); // run-time error 5 for an index past the end
    void RemoveItem(int index);                            // run-time error 5 when out of range
    void Clear();
    std::string List(int index) const; // "" outside the list, as the original
    void setList(int index, const std::string& text);
    int ListCount() const { return int(m_items.size()); }
    int NewIndex() const { return m_newIndex; }
    const std::vector<std::string>& items() const { return m_items; }

    // -1 for no selection. Setting another value raises Click; a value outside -1 .. ListCount - 1 is
    // run-time error 380.
    Property<int> ListIndex;
    Property<bool> Sorted{*this, PropertyId::Sorted, false};
    Event<> Click;
    Event<> DblClick;
    bool canFocus() const override { return true; }

    // The user picks entry `index` (a click on it).
    void userChoose(int index);
    void userDblClick() override { DblClick.raise(); }

protected:
    virtual void selectionChanged() {}

private:
    std::vector<std::string> m_items;
    int m_newIndex = -1;
};

class ListBox : public ListControl {
public:
    ListBox(Form& form, std::string name, int index = -1)
        : ListControl(form, ControlKind::ListBox, std::move(name), index) {}
    // The selected entry's text, "" with none.
    std::string Text() const { return List(ListIndex); }
};

enum ComboStyle : int { vbComboDropdown = 0, vbComboSimple = 1, vbComboDropdownList = 2 };

class ComboBox : public ListControl {
public:
    ComboBox(Form& form, std::string name, int index = -1);
    Property<int> Style{*this, PropertyId::Style, vbComboDropdown};
    // The edit field. Setting it raises Change; choosing an entry sets it without Change.
    Property<std::string> Text;
    Event<> Change;
    void userSetText(const std::string& text) { Text = text; }

protected:
    void selectionChanged() override;
};

class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name, int index = -1)
        : Control(form, ControlKind::PictureBox, std::move(name), index) {}
    Property<platform::Picture> Picture{*this, PropertyId::Picture};
    Property<bool> AutoRedraw{*this, PropertyId::AutoRedraw, false};
    Event<> Click;
    Event<int, int, float, float> MouseDown; // Button, Shift, X, Y (twips)
    Event<int, int, float, float> MouseMove;
    Event<int, int, float, float> MouseUp;
    Event<> Paint;
    void userClick() override { Click.raise(); }
};

class Image : public Control {
public:
    Image(Form& form, std::string name, int index = -1) : Control(form, ControlKind::Image, std::move(name), index) {}
    Property<platform::Picture> Picture{*this, PropertyId::Picture};
    Property<bool> Stretch{*this, PropertyId::Stretch, false};
    // Where there is no Picture: the desktop's own message-box icon of a box style's icon part, 16
    // critical, 32 question, 48 warning, 64 information; 0 none.
    Property<int> StandardIcon{*this, PropertyId::StandardIcon, 0};
    Event<> Click;
    Event<> DblClick;
    void userClick() override { Click.raise(); }
    void userDblClick() override { DblClick.raise(); }
};

// Min, Max and a Value kept inside them (Max may lie below Min), shared by scroll bars, sliders and
// progress bars. A Value set outside the range is pulled to its nearer end.
class RangeControl : public Control {
public:
    RangeControl(Form& form, ControlKind kind, std::string name, int index, int max);
    Property<int> Min;
    Property<int> Max;
    Property<int> Value;
    Property<int> SmallChange{*this, PropertyId::SmallChange, 1};
    Property<int> LargeChange{*this, PropertyId::LargeChange, 1};
    Event<> Change; // raised whenever Value changes
    Event<> Scroll;
    int clamp(int value) const;
    bool canFocus() const override { return kind() != ControlKind::ProgressBar; }
    // The user drags or clicks the bar to `value`.
    void userScroll(int value);
};

class HScrollBar : public RangeControl {
public:
    HScrollBar(Form& form, std::string name, int index = -1)
        : RangeControl(form, ControlKind::HScrollBar, std::move(name), index, 32767) {}
};

class Slider : public RangeControl {
public:
    Slider(Form& form, std::string name, int index = -1)
        : RangeControl(form, ControlKind::Slider, std::move(name), index, 10) {}
};

class ProgressBar : public RangeControl {
public:
    ProgressBar(Form& form, std::string name, int index = -1)
        : RangeControl(form, ControlKind::ProgressBar, std::move(name), index, 100) {}
};

// Raises Timer every Interval milliseconds while Enabled and Interval > 0. The renderer runs real
// timers; headless runs fire them from the script ("tick") or from tests (fire()).
class Timer : public Control {
public:
    Timer(Form& form, std::string name, int index = -1);
    Property<int> Interval{*this, PropertyId::Interval, 0};
    Event<> TimerEvent; // the original's event is named Timer
    bool active() const { return Enabled && Interval > 0; }
    void fire();
};

class Menu : public Control {
public:
    // `parent` is the menu this item belongs to, null for a top-level menu.
    Menu(Form& form, std::string name, Menu* parent = nullptr, int index = -1);
    Property<std::string> Caption{*this, PropertyId::Caption};
    Property<bool> Checked{*this, PropertyId::Checked, false};
    Event<> Click;
    Menu* parent() const { return m_parent; }
    const std::vector<Menu*>& items() const { return m_items; }
    void userClick() override { Click.raise(); }

private:
    Menu* m_parent;
    std::vector<Menu*> m_items;
};

} // namespace glw::forms
