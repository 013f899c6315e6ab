// The colour-selection dialog: a picker and a text box for six hexadecimal digits; Okay writes the chosen
// colour into the target control given by the caller (its back colour, and the same colour as "#RRGGBB"
// in its tooltip), Cancel leaves the target alone, and the caller can tell which happened.
#pragma once

#include "KQColorBox.h"
#include "common/MsgForm.h"

#include <functional>
#include <optional>
#include <string>

namespace glw::colour {

class ColorSel : public forms::Form {
public:
    // `target` receives the colour on Okay; null is allowed (nothing is written, the form still closes).
    ColorSel(forms::Runtime& runtime, common::Module1& boxes, forms::Control* target);

    forms::TextBox HTMLColor{*this, "HTMLColor"};
    KQColorBox ColorBox;
    forms::Label Label20{*this, "Label20"};
    forms::CommandButton Command1{*this, "Command1"}; // apply (picture)
    forms::CommandButton cbClose{*this, "cbClose"};   // close (picture)
    forms::CommandButton Command3{*this, "Command3"}; // "Okay"
    forms::CommandButton Command2{*this, "Command2"}; // "Cancel"

    // True once a colour was applied to the target.
    bool Applied() const { return m_applied; }
    // The six upper-case digits a Value box text stands for, as Enter reads them (the last six characters,
    // letters and digits only); none for an empty text or one with other characters.
    static std::optional<std::string> HexDigitsOf(std::string text);

    void ColorBox_DblClick() { Apply(); }
    void ColorBox_Change(long ActiveColor);
    void Command1_Click() { Apply(); }
    void Command3_Click() { Apply(); }
    void Command2_Click() { Unload(); }
    void cbClose_Click() { Unload(); }
    void HTMLColor_KeyPress(int& KeyAscii);

protected:
    void Form_Load() override;

private:
    void Apply();
    forms::Control* m_target;
    bool m_applied = false;
};

// Loads a fresh dialog for `target`, puts `initialText` into its text box, lets `place` position it (may be
// empty), shows it modally and returns whether a colour was applied.
bool ShowColorSel(forms::Runtime& runtime, common::Module1& boxes, forms::Control& target,
                  const std::string& initialText, const std::function<void(forms::Form&)>& place = {});

} // namespace glw::colour
