// Fuzz target: any bytes read as a palette file; the records of a file that reads write 512 bytes that read
// back to the same records.
#include "formats/PaletteFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    auto records = readPaletteFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!records) {
        return 0;
    }
    const std::string written = writePaletteFile(*records);
    auto again = readPaletteFile(written);
    if (written.size() != kPaletteFileSize || !again || *again != *records) {
        std::abort();
    }
    return 0;
}
