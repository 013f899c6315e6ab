// Hostile zip archives made from sound ones by rewriting their bytes, for the tests of the zip layer and of
// the import that reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace glw::test {

// Rewrites the uncompressed size that the archive at `zipPath` states for the entry, in its central
// directory record and in its local header, as a hostile archive would; the data stay as they are.
// False when the file has no such entry.
inline bool patchStatedSize(const std::string& zipPath, const std::string& entryName, std::uint32_t size) {
    std::string bytes;
    {
        std::ifstream in(zipPath, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    auto u16 = [&](std::size_t at) {
        return std::size_t(std::uint8_t(bytes[at])) | std::size_t(std::uint8_t(bytes[at + 1])) << 8;
    };
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[at + i] = char((value >> (8 * i)) & 0xFF);
        }
    };
    const std::string central("PK\x01\x02", 4);
    bool found = false;
    for (std::size_t at = bytes.find(central); at != std::string::npos && at + 46 <= bytes.size();
         at = bytes.find(central, at + 4)) {
        const std::size_t nameLength = u16(at + 28);
        if (bytes.compare(at + 46, nameLength, entryName) != 0) {
            continue;
        }
        put32(at + 24, size);
        const std::size_t local = u16(at + 42) | u16(at + 44) << 16;
        if (local + 26 <= bytes.size()) {
            put32(local + 22, size);
        }
        found = true;
    }
    if (found) {
        std::ofstream(zipPath, std::ios::binary | std::ios::trunc) << bytes;
    }
    return found;
}

} // namespace glw::test
