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

std::optional<std::string> ColorSel::HexDigitsOf(std::string text) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.size() > 6) {
        text = text.substr(text.size() - 6);
    }
    if (!common::IsAlphaNumeric(text)) {
        return std::nullopt;
    }
    for (char& c : text) {
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

void ColorSel::Apply() {
    // The colour applied is the one the Value box shows, read as Enter reads it: the box follows every
    // cell the user presses and every colour typed, and holds the caller's colour when nothing was
    // touched. The picker's selection can differ from it (a fresh picker selects black; a press released
    // off the grid changes only the active cell), so it is not what is applied. A box that names no
    // colour applies nothing.
    if (m_target) {
        if (const std::optional<std::string> digits = HexDigitsOf(HTMLColor.Text)) {
            const std::int32_t colour = WhatRGB(*digits);
            m_target->BackColor = long(colour);
            m_target->ToolTipText = RgbToHtml(RedPart(colour), GreenPart(colour), BluePart(colour));
            m_applied = true;
        }
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
    if (const std::optional<std::string> digits = HexDigitsOf(HTMLColor.Text)) {
        ColorBox.setHTMLColor(*digits);
        HTMLColor.Text = ColorBox.HTMLColor();
    }
}

bool ShowColorSel(forms::Runtime& runtime, common::Module1& boxes, forms::Control& target,
                  const std::string& initialText, const std::function<void(forms::Form&)>& place) {
    ColorSel dialog(runtime, boxes, &target);
    dialog.Load();
    dialog.HTMLColor.Text = initialText;
    // The picker opens on the caller's colour, so its face agrees with the Value box.
    if (const std::optional<std::string> digits = ColorSel::HexDigitsOf(initialText)) {
        dialog.ColorBox.setHTMLColor(*digits);
    }
    if (place) {
        place(dialog);
    }
    dialog.Show(forms::vbModal);
    dialog.Unload();
    return dialog.Applied();
}

} // namespace glw::colour
