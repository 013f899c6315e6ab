// The movie probe on the SWF engine.
#include "SwfMovieProbe.h"

#include "swf/Header.h"

#include <cmath>
#include <sys/stat.h>

namespace glw::app {

std::optional<platform::MovieSize> SwfMovieProbe::size(const std::string& hostPath) {
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        m_known.erase(hostPath);
        return std::nullopt;
    }
    const std::int64_t modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    auto it = m_known.find(hostPath);
    if (it != m_known.end() && it->second.length == std::uintmax_t(st.st_size) && it->second.modifiedNs == modifiedNs) {
        return it->second.size;
    }
    Known known{std::uintmax_t(st.st_size), modifiedNs, std::nullopt};
    if (auto header = swf::readSwfHeader(hostPath)) {
        known.size = platform::MovieSize{int(std::lround(header->widthPixels)), int(std::lround(header->heightPixels))};
    }
    constexpr std::size_t kMaxKnown = 256; // a session's panels, cells and previews, with room to spare
    if (m_known.size() >= kMaxKnown) {
        m_known.clear();
    }
    m_known[hostPath] = known;
    return known.size;
}

} // namespace glw::app
