// Fuzz target: any bytes read as a startup list of either layout; a list the writer takes reads back, once
// its values are as a written list gives them (blanks around them gone), to exactly the same values.
#include "formats/StartupList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (StartupKind kind : {StartupKind::Player, StartupKind::Saver}) {
        const StartupList list = readStartupList(kind, bytes);
        (void)startupNumber(list.height);
        (void)startupNumber(list.width);
        auto written = writeStartupList(kind, list);
        if (!written) {
            continue;
        }
        const StartupList settled = readStartupList(kind, *written);
        auto again = writeStartupList(kind, settled);
        if (!again || readStartupList(kind, *again) != settled) {
            std::abort();
        }
    }
    return 0;
}
