// Fuzz target of the headless script parser: any text either queues its actions or is refused with the
// number of the line that does not parse; it never throws or crashes.
#include "forms/HeadlessDriver.h"
#include "forms/Runtime.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    glw::forms::Runtime rt{glw::forms::Services{}};
    auto& driver = glw::forms::headless(rt);
    auto queued = driver.queueScript(script);
    if (!queued.ok() && driver.pending() != 0) {
        std::abort(); // a refused script queues nothing
    }
    return 0;
}
