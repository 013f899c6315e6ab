// Fuzz target: Firefox's mozLz4 session, its JSON and Chromium's session commands from arbitrary bytes must
// be read or refused in bounded memory, without a fault.
#include "platform/BrowserWindows.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto json = glw::platform::decodeMozLz4(bytes, 1u << 20)) {
        (void)glw::platform::firefoxSessionTabs(*json);
    }
    (void)glw::platform::firefoxSessionTabs(bytes);
    (void)glw::platform::chromiumSessionTabs(bytes);
    return 0;
}
