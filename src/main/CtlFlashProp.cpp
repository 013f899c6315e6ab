// The colour presets control.
#include "CtlFlashProp.h"

#include "common/ModText.h"
#include "forms/Form.h"
#include "forms/Runtime.h"
#include "vb/VbError.h"

namespace glw::main {

ctlFlashProp::ctlFlashProp(forms::Form& form, std::string name) : UserControl(form, std::move(name)) {
    lstColor.setContainer(this);
    forms::place(*this, 0, 0, 150, 120);
    forms::place(lstColor, 0, 0, 150, 120);
    lstColor.Click = [this] { lstColor_Click(); };
    readPresets();
}

void ctlFlashProp::readPresets() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), fullName() + ".LoadColors");
    const std::string file = rt.App.Path + "\\cpresets.fpf";
    if (!common::FileExists(file)) {
        return;
    }
    std::string text;
    step([&] { text = common::ReadFileText(file); });
    m_presets = formats::readColourPresets(text);
    for (const auto& p : m_presets.presets) {
        step([&] { lstColor.AddItem(p.name); });
    }
}

void ctlFlashProp::LoadColors() {
    m_presets = {};
    lstColor.Clear();
    readPresets();
    lstColor.ListIndex = lstColor.ListCount() - 1;
}

void ctlFlashProp::lstColor_Click() {
    const int i = lstColor.ListIndex;
    if (i < 0 || i >= int(m_presets.presets.size())) {
        return;
    }
    formats::PresetColour colour = formats::readPresetColour(m_presets.presets[size_t(i)].data);
    ChangeColor.raise(colour.red, colour.green, colour.blue);
}

} // namespace glw::main
