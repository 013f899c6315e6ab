// Colour conversions between the forms and Qt.
#include "Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace glw::qt {

namespace {

QColor systemColor(int index) {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 5:
        return palette.color(QPalette::Base); // window background
    case 8:
        return palette.color(QPalette::Text); // window text
    case 13:
        return palette.color(QPalette::Highlight); // highlight
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 18:
        return palette.color(QPalette::ButtonText); // button text
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    default:
        return palette.color(QPalette::Button); // button face and the rest of the 3-D colours
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

QColor fromVbColor(long color) {
    const auto bits = static_cast<unsigned long>(color) & 0xFFFFFFFFul;
    if (bits & 0x80000000ul) {
        return systemColor(int(bits & 0xFF));
    }
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

long toVbColor(const QColor& color) {
    return long(color.red()) | (long(color.green()) << 8) | (long(color.blue()) << 16);
}

std::optional<QColor> fromHtmlColor(std::string_view text) {
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6) {
        return std::nullopt;
    }
    int value[6];
    for (size_t i = 0; i < 6; ++i) {
        if ((value[i] = hexDigit(text[i])) < 0) {
            return std::nullopt;
        }
    }
    return QColor(value[0] * 16 + value[1], value[2] * 16 + value[3], value[4] * 16 + value[5]);
}

} // namespace glw::qt
