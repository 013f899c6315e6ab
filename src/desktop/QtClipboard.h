// The desktop's clipboard (text) and font list as platform services, for programs that run with the desktop
// renderer.
#pragma once

#include "platform/Services.h"

#include <string>

namespace glw::qt {

// Clipboard text through Qt, shared with every other program on the display.
//
// On X11 a clipboard's text lives in the program that set it: when that program ends, the text is gone. The
// system's programs put text on the clipboard and end at once (a reply to an add-in), so setText hands the
// text to a small detached holder program, which owns the clipboard until another program takes it, and
// returns once the holder owns it. Without a holder (none installed, or a platform other than X11) the text
// stays in this process and lasts as long as it does.
class QtClipboard : public platform::Clipboard {
public:
    // `holderPath`: the holder program's host path; empty for none.
    explicit QtClipboard(std::string holderPath);

    std::string getText() override;
    void setText(const std::string& text) override;
    void clear() override;

    // Where the holder is looked for: beside the running program.
    static std::string defaultHolderPath();

private:
    bool handToHolder(const std::string& text);
    std::string m_holderPath;
};

// The font families as fontconfig and the movie players know them, each once, in ASCII case-insensitive
// order: Qt names a family found under several foundries "Family [Foundry]", a name no player finds.
std::vector<std::string> plainFamilyNames(const std::vector<std::string>& qtFamilies);

// The families of the fonts the desktop offers (plainFamilyNames of Qt's list, private families left out).
class QtFontList : public platform::FontList {
public:
    std::vector<std::string> names() override;
};

} // namespace glw::qt
