// Qt key events as the forms' key events see them: key code, shift state and the typed character.
#pragma once

#include <QKeyEvent>

namespace glw::qt {

struct VbKey {
    int keyCode = 0;   // 0: the key has no code of its own (it only types a character)
    int shift = 0;     // vbShiftMask | vbCtrlMask | vbAltMask
    int ascii = 0;     // the typed character (Latin-1), 8 backspace, 13 enter, 27 escape; 0 for none
    bool wide = false; // the key typed a character outside Latin-1 (ascii is then '?')
};

// The forms' key code of a Qt key: letters and digits as their capitals, the function, cursor and editing
// keys as the original numbers them, punctuation by the US layout's key. 0 for keys with no code.
int vbKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// As the headless script does it, only keys pressed without Ctrl and Alt type a character.
VbKey translateKey(const QKeyEvent& event);

} // namespace glw::qt
