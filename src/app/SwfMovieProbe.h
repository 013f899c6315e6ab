// The movie probe on the SWF engine: a movie's stage size from its header.
#pragma once

#include "platform/Services.h"

namespace glw::app {

class SwfMovieProbe : public platform::MovieProbe {
public:
    std::optional<platform::MovieSize> size(const std::string& hostPath) override;
};

} // namespace glw::app
