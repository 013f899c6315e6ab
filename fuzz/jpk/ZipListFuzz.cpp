// Fuzz target: listing and test-extracting a zip archive from arbitrary bytes must fail cleanly, never fault.
#include "zip/ZipArchive.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char path[] = "/tmp/glw-zipfuzz-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) {
        return 0;
    }
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (written) {
        (void)glw::zip::listZipEntries(path);
    }
    ::unlink(path);
    return 0;
}
