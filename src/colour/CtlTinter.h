// The tint control: a caption, a colour swatch and two buttons. The first opens the colour dialog on the
// swatch and turns the applied colour into three tints, one per channel, from -256 to 256; the second resets
// the tints. Either way SetTint reports the values.
#pragma once

#include "ColorSel.h"
#include "forms/UserControl.h"

#include <cstdint>
#include <functional>

namespace glw::colour {

// The tint of a colour part 0 to 255: round(p / 255 x 512) - 256, half to even (0 gives -256, 255 gives 256).
std::int16_t TintOf(std::int32_t part);

class ctlTinter : public forms::UserControl {
public:
    ctlTinter(forms::Form& form, std::string name, common::Module1& boxes);

    forms::Label Label1{form(), name() + ".Label1"};
    forms::Label Label40{form(), name() + ".Label40"}; // the swatch
    forms::CommandButton Command4{form(), name() + ".Command4"};
    forms::CommandButton Command1{form(), name() + ".Command1"};

    bool Orient = false; // True: the dialog opens above the button, False: above and to its left
    std::int16_t mRedTint = 0;
    std::int16_t mBlueTint = 0;
    std::int16_t mGreenTint = 0;

    // Red, green, blue.
    forms::Event<std::int16_t, std::int16_t, std::int16_t> SetTint;

    std::string Label() const { return Label1.Caption; }
    void setLabel(const std::string& caption);

    // The three tints to 0, then SetTint; the swatch keeps its colour.
    void ResetTint();

    // Places the dialog next to a button (above, or above and to the left); set by the program that hosts
    // the control. Without it the dialog opens where it was designed.
    std::function<void(forms::Form& dialog, const forms::Control& button, bool aboveLeft)> PlaceForm;

    void Command4_Click();
    void Command1_Click() { ResetTint(); }
    void UserControl_Resize();

    void propertyChanged(forms::PropertyId name) override;

protected:
    void UserControl_ReadProperties(const forms::PropertyBag& PropBag) override;
    void UserControl_WriteProperties(forms::PropertyBag& PropBag) override;

private:
    common::Module1& m_boxes;
    bool m_resizing = false;
};

} // namespace glw::colour
