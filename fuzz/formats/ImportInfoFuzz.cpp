// Fuzz target: any bytes read as an import package's information line; values the writer takes read back
// exactly.
#include "formats/ImportInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const ImportInfo info = readImportInfo(std::string_view(reinterpret_cast<const char*>(data), size));
    auto written = writeImportInfo(info);
    if (written && readImportInfo(*written) != info) {
        std::abort();
    }
    return 0;
}
