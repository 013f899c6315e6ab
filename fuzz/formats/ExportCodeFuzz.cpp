// Fuzz target: any bytes read as a clip's description; a description that reads writes back and reads again
// to the same fields.
#include "formats/ExportCode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto description = readExportDescription(bytes);
    if (!description) {
        return 0;
    }
    auto written = writeExportDescription(*description);
    if (!written) {
        std::abort(); // the read stops at the third "|", so no field it gives holds one
    }
    auto again = readExportDescription(*written);
    if (!again || *again != *description) {
        std::abort();
    }
    return 0;
}
