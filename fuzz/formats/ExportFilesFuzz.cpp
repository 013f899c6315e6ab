// Fuzz target: any bytes read as an export's file list; a list that reads writes back to the same bytes.
#include "formats/ExportFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto files = readExportFiles(bytes);
    if (!files) {
        return 0;
    }
    auto written = writeExportFiles(*files);
    if (!written || *written != bytes) {
        std::abort();
    }
    return 0;
}
