// The font list of the installed fonts.
#pragma once

#include "Services.h"

namespace glw::platform {

// The family names of the installed fonts, sorted without regard to case, each once.
class FontconfigFontList : public FontList {
public:
    std::vector<std::string> names() override;
};

} // namespace glw::platform
