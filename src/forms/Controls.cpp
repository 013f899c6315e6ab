// The standard controls' behaviour: the events that values set from code raise, list and range rules.
#include "Controls.h"

#include "Form.h"
#include "Runtime.h"
#include "base/Ascii.h"

#include <algorithm>

namespace glw::forms {

// ---- TextBox ----

TextBox::TextBox(Form& form, std::string name, int index)
    : Control(form, ControlKind::TextBox, std::move(name), index),
      Text(*this, PropertyId::Text, "", [this](Property<std::string>& p, std::string value) {
          if (p.store(std::move(value))) {
              Change.raise();
          }
      }) {
    BackColor.store(kWindowBackground);
}

void TextBox::userKeyPress(int keyAscii) {
    KeyPress.raise(keyAscii);
    if (keyAscii == 0 || Locked) {
        return;
    }
    std::string text = Text;
    if (keyAscii == vbKeyBack) {
        if (!text.empty()) {
            text.pop_back();
        }
    } else if (keyAscii >= 32 || keyAscii < 0) {
        if (MaxLength > 0 && int(text.size()) >= MaxLength) {
            return;
        }
        text.push_back(char(keyAscii));
    } else if (keyAscii == vbKeyReturn && MultiLine) {
        text += "\r\n";
    } else {
        return;
    }
    Text = text;
}

void TextBox::userType(const std::string& text) {
    for (unsigned char c : text) {
        userKeyPress(c);
    }
}

// ---- CommandButton, CheckBox, OptionButton ----

void CommandButton::userClick() {
    Click.raise();
}

CheckBox::CheckBox(Form& form, std::string name, int index)
    : Control(form, ControlKind::CheckBox, std::move(name), index),
      Value(*this, PropertyId::Value, vbUnchecked, [this](Property<int>& p, int value) {
          if (value < 0 || value > 2) {
              vb::raise(vb::ErrInvalidProperty, "Invalid property value");
          }
          if (p.store(value)) {
              Click.raise();
          }
      }) {}

void CheckBox::userClick() {
    Value = (Value == vbChecked) ? vbUnchecked : vbChecked;
}

OptionButton::OptionButton(Form& form, std::string name, int index)
    : Control(form, ControlKind::OptionButton, std::move(name), index),
      Value(*this, PropertyId::Value, false, [this](Property<bool>& p, bool value) {
          if (!value) {
              p.store(false);
              return;
          }
          if (p()) {
              return;
          }
          for (Control* other : this->form().controls()) {
              if (other != this && other->kind() == ControlKind::OptionButton && other->Container() == Container()) {
                  static_cast<OptionButton*>(other)->Value.store(false);
              }
          }
          p.store(true);
          Click.raise();
      }) {}

void OptionButton::userClick() {
    Value = true;
}

// ---- ListControl, ListBox, ComboBox ----

ListControl::ListControl(Form& form, ControlKind kind, std::string name, int index)
    : Control(form, kind, std::move(name), index),
      ListIndex(*this, PropertyId::ListIndex, -1, [this](Property<int>& p, int value) {
          if (value < -1 || value >= ListCount()) {
              vb::raise(vb::ErrInvalidProperty, "Invalid property value");
          }
          if (p.store(value)) {
              selectionChanged();
              Click.raise();
          }
      }) {
    BackColor.store(kWindowBackground);
}

void ListControl::AddItem(const std::string& item, int index) {
    if (index > ListCount()) {
        vb::raise(vb::ErrInvalidCall, "Invalid procedure call or argument");
    }
    if (index < 0 && Sorted) {
        auto less = [](const std::string& a, const std::string& b) { return base::icompare(a, b) < 0; };
        index = int(std::upper_bound(m_items.begin(), m_items.end(), item, less) - m_items.begin());
    }
    if (index < 0) {
        index = ListCount();
    }
    m_items.insert(m_items.begin() + index, item);
    m_newIndex = index;
    if (ListIndex >= index && ListIndex >= 0) {
        ListIndex.store(ListIndex + 1);
    }
    propertyChanged(PropertyId::List);
}

void ListControl::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) {
        vb::raise(vb::ErrInvalidCall, "Invalid procedure call or argument");
    }
    m_items.erase(m_items.begin() + index);
    if (ListIndex == index) {
        ListIndex.store(-1);
    } else if (ListIndex > index) {
        ListIndex.store(ListIndex - 1);
    }
    propertyChanged(PropertyId::List);
}

void ListControl::Clear() {
    m_items.clear();
    ListIndex.store(-1);
    propertyChanged(PropertyId::List);
}

std::string ListControl::List(int index) const {
    return index >= 0 && index < ListCount() ? m_items[size_t(index)] : std::string();
}

void ListControl::setList(int index, const std::string& text) {
    if (index < 0 || index >= ListCount()) {
        vb::raise(vb::ErrInvalidProperty, "Invalid property array index");
    }
    m_items[size_t(index)] = text;
    propertyChanged(PropertyId::List);
}

void ListControl::userChoose(int index) {
    ListIndex = index;
}

ComboBox::ComboBox(Form& form, std::string name, int index)
    : ListControl(form, ControlKind::ComboBox, std::move(name), index),
      Text(*this, PropertyId::Text, "", [this](Property<std::string>& p, std::string value) {
          if (Style == vbComboDropdownList) {
              // A list-style combo takes only texts of its list, and selects that entry.
              auto it = std::find(items().begin(), items().end(), value);
              if (it == items().end()) {
                  vb::raise(383, "'Text' property is read-only");
              }
              ListIndex = int(it - items().begin());
              return;
          }
          if (p.store(std::move(value))) {
              Change.raise();
          }
      }) {}

void ComboBox::selectionChanged() {
    if (ListIndex >= 0) {
        Text.store(List(ListIndex));
    } else if (Style == vbComboDropdownList) {
        Text.store("");
    }
}

// ---- RangeControl ----

RangeControl::RangeControl(Form& form, ControlKind kind, std::string name, int index, int max)
    : Control(form, kind, std::move(name), index),
      Min(*this, PropertyId::Min, 0,
          [this](Property<int>& p, int value) {
              p.store(value);
              Value = Value.get(); // pulls Value inside the new range (Change when it moved)
          }),
      Max(*this, PropertyId::Max, max,
          [this](Property<int>& p, int value) {
              p.store(value);
              Value = Value.get();
          }),
      Value(*this, PropertyId::Value, 0, [this](Property<int>& p, int value) {
          if (p.store(clamp(value))) {
              Change.raise();
          }
      }) {}

int RangeControl::clamp(int value) const {
    const int lo = std::min<int>(Min, Max);
    const int hi = std::max<int>(Min, Max);
    return std::clamp(value, lo, hi);
}

void RangeControl::userScroll(int value) {
    Scroll.raise();
    Value = value;
}

// ---- Timer, Menu ----

Timer::Timer(Form& form, std::string name, int index) : Control(form, ControlKind::Timer, std::move(name), index) {}

void Timer::fire() {
    if (active()) {
        TimerEvent.raise();
    }
}

Menu::Menu(Form& form, std::string name, Menu* parent, int index)
    : Control(form, ControlKind::Menu, std::move(name), index), m_parent(parent) {
    if (parent) {
        parent->m_items.push_back(this);
        setContainer(parent);
    }
}

// ---- CommonDialog ----

void CommonDialog::show(DialogKind kind) {
    DialogRequest request;
    request.kind = kind;
    request.title = DialogTitle;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.initDir = InitDir;
    request.fileName = FileName;
    request.defaultExt = DefaultExt;
    request.color = Color;
    request.flags = Flags;
    const DialogAnswer answer = runtime().ui().commonDialog(form(), request);
    m_lastOk = answer.ok;
    auto& trace = runtime().trace();
    if (trace.enabled()) {
        const char* what = kind == DialogKind::Open ? "open" : kind == DialogKind::Save ? "save" : "color";
        std::string result = !answer.ok                  ? "cancel"
                             : kind == DialogKind::Color ? std::to_string(answer.color)
                                                         : Trace::quote(answer.fileName);
        trace.write(std::string("dialog ") + what + " " + Trace::quote(request.title) + " -> " + result);
    }
    if (!answer.ok) {
        if (CancelError) {
            vb::raise(kCancelErrorNumber, "Cancel was selected.");
        }
        return;
    }
    if (kind == DialogKind::Color) {
        Color = answer.color;
        return;
    }
    FileName = answer.fileName;
    const auto cut = answer.fileName.find_last_of('\\');
    FileTitle = cut == std::string::npos ? answer.fileName : answer.fileName.substr(cut + 1);
}

} // namespace glw::forms
