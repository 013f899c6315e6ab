// The colour-selection dialog.
#include "ColorSel.h"

#include "common/ModText.h"
#include "forms/Runtime.h"

#include <cctype>

namespace glw::colour {

ColorSel::ColorSel(forms::Runtime& runtime, common::Module1& boxes, forms::Control* target)
    : Form(runtime, "ColorSel"), ColorBox(*this, "ColorBox", boxes), m_target(target) {
    Caption = "Select Color";
    BorderStyle = 3;
    ShowInTaskbar = false;
    Width = 165 * forms::kTwipsPerDesignPixel;
    Height = 206 * forms::kTwipsPerDesignPixel;
    // A designed picker: its stored properties are all at their defaults.
    ColorBox.ReadProperties(forms::PropertyBag{});
    ColorBox.Move(4 * forms::kTwipsPerDesignPixel, 4 * forms::kTwipsPerDesignPixel);
    Label20.Caption = "Value :";
    forms::place(Label20, 4, 150, 40, 17);
    forms::place(HTMLColor, 44, 147, 70, 21);
    forms::place(Command1, 118, 146, 20, 23);
    Command1.Style = 1;
    Command1.ToolTipText = "Okay";
    forms::place(cbClose, 141, 146, 20, 23);
    cbClose.Style = 1;
    cbClose.ToolTipText = "Cancel";
    Command3.Caption = "Okay";
    forms::place(Command3, 4, 176, 76, 25);
    Command2.Caption = "Cancel";
    Command2.Cancel = true;
    forms::place(Command2, 85, 176, 76, 25);

    ColorBox.DblClick = [this] { ColorBox_DblClick(); };
    ColorBox.Change = [this](long c) { ColorBox_Change(c); };
    Command1.Click = [this] { Command1_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    cbClose.Click = [this] { cbClose_Click(); };
    HTMLColor.KeyPress = [this](int& k) { HTMLColor_KeyPress(k); };
}

void ColorSel::Form_Load() {
    // The two picture buttons show the system's okay and cancel pictures.
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "ColorSel.Form_Load");
    step([&] { Command1.Picture = rt.LoadPicture(rt.App.Path + "\\resource\\okay.jpg"); });
    step([&] { cbClose.Picture = rt.LoadPicture(rt.App.Path + "\\resource\\cancel.jpg"); });
}

void ColorSel::Apply() {
    // The back colour and the tooltip come from the one selected colour.
    if (m_target) {
        const long colour = ColorBox.SelectedColor();
        m_target->BackColor = colour;
        m_target->ToolTipText =
            RgbToHtml(RedPart(std::int32_t(colour)), GreenPart(std::int32_t(colour)), BluePart(std::int32_t(colour)));
        m_applied = true;
    }
    Unload();
}

void ColorSel::ColorBox_Change(long) {
    HTMLColor.Text = ColorBox.HTMLColor();
}

void ColorSel::HTMLColor_KeyPress(int& KeyAscii) {
    if (KeyAscii >= 'a' && KeyAscii <= 'z') {
        KeyAscii = std::toupper(KeyAscii);
    }
    if (KeyAscii != forms::vbKeyReturn) {
        return;
    }
    std::string s = HTMLColor.Text;
    if (s.empty()) {
        return;
    }
    if (s.size() > 6) {
        s = s.substr(s.size() - 6);
    }
    if (!common::IsAlphaNumeric(s)) {
        return;
    }
    for (char& c : s) {
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    ColorBox.setHTMLColor(s);
    HTMLColor.Text = ColorBox.HTMLColor();
}

bool ShowColorSel(forms::Runtime& runtime, common::Module1& boxes, forms::Control& target,
                  const std::string& initialText, const std::function<void(forms::Form&)>& place) {
    ColorSel dialog(runtime, boxes, &target);
    dialog.Load();
    dialog.HTMLColor.Text = initialText;
    if (place) {
        place(dialog);
    }
    dialog.Show(forms::vbModal);
    dialog.Unload();
    return dialog.Applied();
}

} // namespace glw::colour
