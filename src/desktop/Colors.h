// Colours of the forms (whole numbers with red in the low byte, "#RRGGBB" texts) as Qt colours.
#pragma once

#include <QColor>
#include <optional>
#include <string_view>

namespace glw::qt {

// A forms colour; the system-colour form (high bit set, palette index in the low byte) takes the
// application palette's colour of the same role.
QColor fromVbColor(long color);
long toVbColor(const QColor& color);

// "#RRGGBB" (the "#" optional, hexadecimal digits in either case); nullopt for anything else.
std::optional<QColor> fromHtmlColor(std::string_view text);

} // namespace glw::qt
