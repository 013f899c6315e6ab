// The colour presets control.
#include "CtlFlashProp.h"

#include "common/ModText.h"
#include "forms/Form.h"
#include "forms/Runtime.h"
#include "vb/VbText.h"

namespace glw::main {

std::vector<ctlFlashProp::Preset> parsePresets(const std::string& text) {
    std::vector<ctlFlashProp::Preset> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        ctlFlashProp::Preset preset{common::GetBetween(line, "[", "]"), common::GetBetween(line, "-+", "+-")};
        if (!preset.name.empty() && !preset.data.empty()) {
            out.push_back(std::move(preset));
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return out;
}

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
    m_presets = parsePresets(text);
    for (const auto& p : m_presets) {
        step([&] { lstColor.AddItem(p.name); });
    }
}

void ctlFlashProp::LoadColors() {
    m_presets.clear();
    lstColor.Clear();
    readPresets();
    lstColor.ListIndex = lstColor.ListCount() - 1;
}

void ctlFlashProp::lstColor_Click() {
    const int i = lstColor.ListIndex;
    if (i < 0 || i >= int(m_presets.size())) {
        return;
    }
    const std::string& data = m_presets[size_t(i)].data;
    double red = vb::Val(common::GetBetween(data, "(", ")"));
    double green = vb::Val(common::GetBetween(data, "{", "}"));
    double blue = vb::Val(common::GetBetween(data, "<", ">"));
    ChangeColor.raise(red, green, blue);
}

} // namespace glw::main
