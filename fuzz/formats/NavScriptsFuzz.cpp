// Fuzz target: any bytes read as the link chooser's saved scripts; the scripts write and read back the same,
// and a script appended to the bytes comes back as the last of the same scripts.
#include "formats/NavScripts.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const NavScripts list = readNavScripts(bytes);
    auto written = writeNavScripts(list);
    if (!written || readNavScripts(*written) != list) {
        std::abort();
    }
    auto appended = appendNavScript(bytes, "history.back();");
    NavScripts longer = list;
    longer.scripts.push_back("history.back();");
    if (!appended || readNavScripts(*appended) != longer) {
        std::abort();
    }
    return 0;
}
