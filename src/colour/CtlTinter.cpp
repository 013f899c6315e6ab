// The tint control.
#include "CtlTinter.h"

#include "forms/Form.h"

namespace glw::colour {

std::int16_t TintOf(std::int32_t part) {
    return std::int16_t(roundHalfEven(double(part) / 255.0 * 512.0) - 256);
}

ctlTinter::ctlTinter(forms::Form& form, std::string name, common::Module1& boxes)
    : UserControl(form, std::move(name)), m_boxes(boxes) {
    for (forms::Control* c : std::initializer_list<forms::Control*>{&Label1, &Label40, &Command4, &Command1}) {
        c->setContainer(this);
    }
    Label1.Caption = "Background :";
    forms::place(Label1, 0, 3, 70, 17);
    // The swatch starts white, its tooltip naming the same colour.
    Label40.BackColor = forms::rgb(255, 255, 255);
    Label40.ToolTipText = "#FFFFFF";
    forms::place(Label40, 0, 2, 33, 17);
    Command4.ToolTipText =
        "Select Color To Tint Towards.  Recommend selection of darker shades for better application.";
    Command4.Caption = "...";
    forms::place(Command4, 0, 0, 24, 21);
    Command1.ToolTipText = "Reset Color Tinting";
    Command1.Caption = "x";
    forms::place(Command1, 0, 0, 24, 21);
    Command4.Click = [this] { Command4_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    forms::place(*this, 0, 0, 160, 22);
    UserControl_Resize();
}

void ctlTinter::setLabel(const std::string& caption) {
    Label1.Caption = caption;
    PropertyChanged("Label");
}

void ctlTinter::ResetTint() {
    mRedTint = 0;
    mBlueTint = 0;
    mGreenTint = 0;
    SetTint.raise(mRedTint, mGreenTint, mBlueTint);
}

void ctlTinter::Command4_Click() {
    auto place = [this](forms::Form& dialog) {
        if (PlaceForm) {
            PlaceForm(dialog, Command4, !Orient);
        }
    };
    // The dialog writes the swatch's colour and tooltip only when the user applies a colour; after Cancel
    // the tints stay as they were (the swatch may show a colour that a reset has since cleared).
    if (ShowColorSel(runtime(), m_boxes, Label40, Label40.ToolTipText, place)) {
        const auto c = std::int32_t(Label40.BackColor());
        mRedTint = TintOf(RedPart(c));
        mGreenTint = TintOf(GreenPart(c));
        mBlueTint = TintOf(BluePart(c));
    }
    SetTint.raise(mRedTint, mGreenTint, mBlueTint);
}

void ctlTinter::UserControl_Resize() {
    if (m_resizing) {
        return;
    }
    m_resizing = true;
    Command4.Left = Width - Command4.Width;
    Command1.Left = Command4.Left - Command1.Width;
    Label40.Left = Command1.Left - Label40.Width - 5;
    m_resizing = false;
}

void ctlTinter::propertyChanged(forms::PropertyId name) {
    UserControl::propertyChanged(name);
    if (name == forms::PropertyId::Width || name == forms::PropertyId::Height) {
        UserControl_Resize();
    }
}

void ctlTinter::UserControl_ReadProperties(const forms::PropertyBag& PropBag) {
    Label1.Caption = PropBag.ReadProperty("Label", std::string("Caption"));
    BackColor = PropBag.ReadProperty("BackColor", long(forms::vbWindowBackground));
    ForeColor = PropBag.ReadProperty("ForeColor", long(forms::vbButtonText));
}

void ctlTinter::UserControl_WriteProperties(forms::PropertyBag& PropBag) {
    PropBag.WriteProperty("Label", Label1.Caption(), std::string("Caption"));
    PropBag.WriteProperty("BackColor", BackColor(), long(forms::vbWindowBackground));
    PropBag.WriteProperty("ForeColor", ForeColor(), long(forms::vbButtonText));
}

} // namespace glw::colour
