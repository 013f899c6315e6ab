// The movie probe on the SWF engine: a movie's stage size from its header.
#pragma once

#include "platform/Services.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

namespace glw::app {

// Keeps the sizes it read while each file keeps its length and time: the title and empty movies are asked
// about at every setting of a control, and each is read once.
class SwfMovieProbe : public platform::MovieProbe {
public:
    std::optional<platform::MovieSize> size(const std::string& hostPath) override;

private:
    struct Known {
        std::uintmax_t length = 0;
        std::int64_t modifiedNs = 0;
        std::optional<platform::MovieSize> size;
    };
    std::map<std::string, Known> m_known;
};

} // namespace glw::app
