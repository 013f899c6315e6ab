// Key translation from Qt to the forms' key codes and characters.
#include "Keys.h"

namespace glw::qt {

namespace {

// Shifted symbols of the US layout and the key they are typed on, so that Shift+1 reports key 49 as the
// original does.
struct ShiftedKey {
    int qtKey;
    int keyCode;
};
constexpr ShiftedKey kShifted[] = {
    {Qt::Key_Exclam, '1'},     {Qt::Key_At, '2'},          {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},  {Qt::Key_ParenRight, '0'},  {Qt::Key_Colon, 186},      {Qt::Key_Plus, 187},
    {Qt::Key_Less, 188},       {Qt::Key_Underscore, 189},  {Qt::Key_Greater, 190},    {Qt::Key_Question, 191},
    {Qt::Key_AsciiTilde, 192}, {Qt::Key_BraceLeft, 219},   {Qt::Key_Bar, 220},        {Qt::Key_BraceRight, 221},
    {Qt::Key_QuoteDbl, 222},
};

} // namespace

int vbKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return qtKey; // Qt numbers letters as their capitals, like the original
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return (modifiers & Qt::KeypadModifier) ? 96 + (qtKey - Qt::Key_0) : qtKey;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return 112 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    case Qt::Key_Semicolon:
        return 186;
    case Qt::Key_Equal:
        return 187;
    case Qt::Key_Comma:
        return 188;
    case Qt::Key_Minus:
        return (modifiers & Qt::KeypadModifier) ? 109 : 189;
    case Qt::Key_Period:
        return (modifiers & Qt::KeypadModifier) ? 110 : 190;
    case Qt::Key_Slash:
        return (modifiers & Qt::KeypadModifier) ? 111 : 191;
    case Qt::Key_QuoteLeft:
        return 192;
    case Qt::Key_BracketLeft:
        return 219;
    case Qt::Key_Backslash:
        return 220;
    case Qt::Key_BracketRight:
        return 221;
    case Qt::Key_Apostrophe:
        return 222;
    default:
        break;
    }
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey == Qt::Key_Asterisk) {
            return 106;
        }
        if (qtKey == Qt::Key_Plus) {
            return 107;
        }
    }
    for (const auto& s : kShifted) {
        if (s.qtKey == qtKey) {
            return s.keyCode;
        }
    }
    return 0;
}

VbKey translateKey(const QKeyEvent& event) {
    VbKey key;
    const auto modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier) {
        key.shift |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        key.shift |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        key.shift |= 4;
    }
    key.keyCode = vbKeyCode(event.key(), modifiers);
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier)) {
        return key;
    }
    switch (event.key()) {
    case Qt::Key_Backspace:
        key.ascii = 8;
        return key;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key.ascii = 13;
        return key;
    case Qt::Key_Escape:
        key.ascii = 27;
        return key;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty()) {
        return key;
    }
    const auto characters = text.toUcs4();
    if (characters.size() != 1) {
        // Several characters at once (an input method's text): the widget types them.
        key.ascii = '?';
        key.wide = true;
        return key;
    }
    const char32_t c = characters[0];
    if (c < 32 || c == 127) {
        return key; // tab, delete and other control characters type nothing
    }
    if (c < 256) {
        key.ascii = int(c);
    } else {
        key.ascii = '?';
        key.wide = true;
    }
    return key;
}

} // namespace glw::qt
