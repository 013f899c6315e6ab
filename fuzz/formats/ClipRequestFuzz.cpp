// Fuzz target: any bytes read as an add-in request; a request the writer takes reads back to the same fields.
#include "formats/ClipText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto request = readClipRequest(bytes);
    if (!request) {
        return 0;
    }
    auto written = writeClipRequest(*request);
    if (written && readClipRequest(*written) != request) {
        std::abort();
    }
    return 0;
}
