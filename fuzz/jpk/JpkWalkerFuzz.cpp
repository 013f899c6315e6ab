// Fuzz target: walking an appended package from arbitrary bytes must end, in bounded memory, without a fault.
#include "jpk/JpkMarker.h"
#include "jpk/JpkPackage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto walker = glw::jpk::walkJpkBytes(bytes);
    for (int guard = 0; guard < 100000; ++guard) {
        auto entry = walker.next();
        if (!entry || !*entry) {
            break;
        }
    }
    return 0;
}
