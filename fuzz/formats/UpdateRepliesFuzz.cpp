// Fuzz target: any bytes read as each of the update site's replies; a reply the writer takes reads back to
// exactly the same values, and a package name the list gives is one that could be saved in Imports.
#include "formats/UpdateReplies.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto release = readUpdateReply(bytes)) {
        if (auto written = writeUpdateReply(*release)) {
            auto again = readUpdateReply(*written);
            if (!again || *again != *release) {
                std::abort();
            }
        }
    }
    const ImportsReply offered = readImportsReply(bytes);
    for (const OfferedPackage& package : offered.packages) {
        if (!safePackageName(packageFileName(package.path))) {
            std::abort();
        }
    }
    if (auto written = writeImportsReply(offered); written && readImportsReply(*written) != offered) {
        std::abort();
    }
    (void)bodyMeansNotFound(bytes, false);
    return 0;
}
