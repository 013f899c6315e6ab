// Cache files in the browsers' layouts, built here byte by byte for the cache walk's tests.
#pragma once

#include <cstdint>
#include <string>

namespace glw::platform::test {

inline std::string be32(std::uint32_t v) {
    return {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
}
inline std::string le32(std::uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}
inline std::string le64(std::uint64_t v) {
    return le32(std::uint32_t(v)) + le32(std::uint32_t(v >> 32));
}

// A Firefox cache2 entry: body, metadata (hash, one chunk hash per 256 KiB, the version 3 header, the
// key with its zero, one element) and the body's length.
inline std::string firefoxEntry(const std::string& body, const std::string& key) {
    std::string meta = be32(0x12345678);
    for (std::size_t chunks = (body.size() + 262143) / 262144; chunks > 0; --chunks) {
        meta += "\x01\x02";
    }
    meta += be32(3) + be32(1) + be32(1700000000) + be32(1700000000) + be32(5) + be32(0xFFFFFFFF) +
            be32(std::uint32_t(key.size())) + be32(0);
    meta += key + std::string(1, '\0');
    meta += std::string("request-method\0GET\0", 19);
    return body + meta + be32(std::uint32_t(body.size()));
}

inline constexpr std::uint64_t kSimpleInitialMagic = 0xfcfb6d1ba7725c30ULL;
inline constexpr std::uint64_t kSimpleFinalMagic = 0xf4fa6f45970d41d8ULL;

// A Chromium simple-cache entry ("_0" file): header, key, body, end record, response headers, closing end
// record with their length.
inline std::string chromiumEntry(const std::string& body, const std::string& key) {
    const std::string headers = "HTTP/1.1 200 OK\nContent-Type: application/x-shockwave-flash\n";
    std::string file = le64(kSimpleInitialMagic) + le32(5) + le32(std::uint32_t(key.size())) + le32(0xABCDEF) + le32(0);
    file += key + body;
    file += le64(kSimpleFinalMagic) + le32(1) + le32(0) + le32(0) + le32(0);
    file += headers;
    file += le64(kSimpleFinalMagic) + le32(1) + le32(0) + le32(std::uint32_t(headers.size())) + le32(0);
    return file;
}

} // namespace glw::platform::test
