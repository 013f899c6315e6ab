// The colour presets control: lists the named presets of cpresets.fpf beside the program and reports the
// red, green and blue values of the preset the user selects. Each preset keeps its name and its data part
// together, so the list shown and the values read cannot drift apart.
#pragma once

#include "formats/ColourPresets.h"
#include "forms/Controls.h"
#include "forms/UserControl.h"

#include <string>
#include <vector>

namespace glw::main {

class ctlFlashProp : public forms::UserControl {
public:
    // Reads the presets once (no selection, no event).
    ctlFlashProp(forms::Form& form, std::string name);

    forms::ListBox lstColor{form(), name() + ".lstColor"}; // the preset names, in file order

    using Preset = formats::ColourPreset;
    const std::vector<Preset>& presets() const { return m_presets.presets; }

    // Reads the file again and selects the last preset, which raises ChangeColor for it.
    void LoadColors();
    // R, G, B.
    forms::Event<double&, double&, double&> ChangeColor;

    void lstColor_Click();

private:
    void readPresets();
    formats::ColourPresets m_presets;
};

} // namespace glw::main
