// The in-memory URL cache and the walk over the desktop browsers' disk caches.
#include "BrowserCache.h"

#include "base/Ascii.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace glw::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kSimpleInitialMagic = 0xfcfb6d1ba7725c30ULL;
constexpr std::uint64_t kSimpleFinalMagic = 0xf4fa6f45970d41d8ULL;
constexpr std::uint64_t kSimpleHeaderSize = 24; // magic, version, key length, key hash, padding
constexpr std::uint64_t kSimpleEofSize = 24;    // magic, flags, crc, stream size, padding
constexpr std::uint32_t kSimpleEofHasKeySha256 = 2;
constexpr std::uint64_t kMaxKeyLength = 64 * 1024;
constexpr std::uint64_t kFirefoxChunkSize = 256 * 1024;
constexpr std::size_t kMaxCopyStem = 200;

// Bytes of an open file at an offset; nullopt when the file holds fewer.
std::optional<std::string> streamBytesAt(std::ifstream& in, std::uint64_t offset, std::uint64_t count) {
    std::string bytes(count, '\0');
    in.clear();
    in.seekg(std::streamoff(offset));
    if (!in.read(bytes.data(), std::streamsize(count))) {
        return std::nullopt;
    }
    return bytes;
}

std::uint32_t littleEndian32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(b[at + size_t(i)]);
    }
    return v;
}

std::uint64_t littleEndian64(const std::string& b, std::size_t at) {
    return std::uint64_t(littleEndian32(b, at)) | (std::uint64_t(littleEndian32(b, at + 4)) << 32);
}

std::uint32_t bigEndian32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v = (v << 8) | static_cast<unsigned char>(b[at + size_t(i)]);
    }
    return v;
}

// Chromium's simple cache: header and key, stream 1 (the body), its end record, stream 0 (the response
// headers), an optional SHA-256 of the key, and the closing end record holding stream 0's size.
std::optional<CachedBody> simpleCacheBody(const CacheFileBytes& bytes, std::uint64_t size) {
    if (size < kSimpleHeaderSize + 2 * kSimpleEofSize) {
        return std::nullopt;
    }
    auto header = bytes(0, kSimpleHeaderSize);
    if (!header || littleEndian64(*header, 0) != kSimpleInitialMagic) {
        return std::nullopt;
    }
    const std::uint64_t keyLength = littleEndian32(*header, 12);
    if (keyLength > kMaxKeyLength || kSimpleHeaderSize + keyLength + 2 * kSimpleEofSize > size) {
        return std::nullopt;
    }
    auto key = bytes(kSimpleHeaderSize, keyLength);
    auto lastEof = bytes(size - kSimpleEofSize, kSimpleEofSize);
    if (!key || !lastEof || littleEndian64(*lastEof, 0) != kSimpleFinalMagic) {
        return std::nullopt;
    }
    const std::uint64_t sha = (littleEndian32(*lastEof, 8) & kSimpleEofHasKeySha256) ? 32 : 0;
    const std::uint64_t stream0 = littleEndian32(*lastEof, 16);
    const std::uint64_t bodyStart = kSimpleHeaderSize + keyLength;
    const std::uint64_t tail = kSimpleEofSize + sha + stream0 + kSimpleEofSize;
    if (tail > size - bodyStart) {
        return std::nullopt;
    }
    const std::uint64_t bodyEnd = size - tail;
    auto bodyEof = bytes(bodyEnd, kSimpleEofSize);
    if (!bodyEof || littleEndian64(*bodyEof, 0) != kSimpleFinalMagic) {
        return std::nullopt;
    }
    CachedBody body{bodyStart, bodyEnd - bodyStart, {}};
    // The key is the address, or "1/0/_dk_" and the partition's sites followed by the address.
    const auto blank = key->find_last_of(' ');
    body.url = blank == std::string::npos ? *key : key->substr(blank + 1);
    return body;
}

// Firefox's cache2 entry: the body, then its metadata, then the body's length as a big-endian number. The
// metadata opens with a hash and one 2-byte hash per 256 KiB chunk of the body, then the header (version,
// fetch count, four times, key size; from version 2 on also flags) and the key.
std::optional<CachedBody> firefoxBody(const CacheFileBytes& bytes, std::uint64_t size) {
    if (size < 4) {
        return std::nullopt;
    }
    auto last = bytes(size - 4, 4);
    if (!last) {
        return std::nullopt;
    }
    const std::uint64_t bodyLength = bigEndian32(*last, 0);
    if (bodyLength > size - 4) {
        return std::nullopt;
    }
    CachedBody body{0, bodyLength, {}};
    const std::uint64_t chunks = (bodyLength + kFirefoxChunkSize - 1) / kFirefoxChunkSize;
    const std::uint64_t headerAt = bodyLength + 4 + 2 * chunks;
    if (headerAt + 28 <= size - 4) {
        if (auto header = bytes(headerAt, 28)) {
            const std::uint32_t version = bigEndian32(*header, 0);
            const std::uint64_t keySize = bigEndian32(*header, 24);
            const std::uint64_t keyAt = headerAt + 28 + (version >= 2 ? 4 : 0);
            if (keySize <= kMaxKeyLength && keyAt + keySize <= size - 4) {
                if (auto key = bytes(keyAt, keySize)) {
                    // The key is the entry's tags, ":" and the address ("a,:https://...", ":http://...").
                    if (!key->empty() && (*key)[0] == ':') {
                        body.url = key->substr(1);
                    } else if (const auto tagsEnd = key->find(",:"); tagsEnd != std::string::npos) {
                        body.url = key->substr(tagsEnd + 2);
                    } else {
                        body.url = *key;
                    }
                }
            }
        }
    }
    return body;
}

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

bool isRealFolder(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::directory;
}

// The entries of a folder in name order; empty when it cannot be listed.
std::vector<fs::path> sortedEntries(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    if (!isRealFolder(folder)) {
        return found;
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool endsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && base::iequals(std::string_view(text).substr(text.size() - tail.size()), tail);
}

const std::array<const char*, 7> kChromiumBrowsers = {
    "chromium", "google-chrome", "google-chrome-beta", "BraveSoftware/Brave-Browser", "microsoft-edge",
    "vivaldi",  "opera"};

} // namespace

std::optional<CachedBody> cachedBody(const CacheFileBytes& bytes, std::uint64_t size) {
    if (auto body = simpleCacheBody(bytes, size)) {
        return body;
    }
    return firefoxBody(bytes, size);
}

CacheFileBytes cacheFileBytes(std::string_view file) {
    return [file](std::uint64_t offset, std::uint64_t count) -> std::optional<std::string> {
        if (offset > file.size() || count > file.size() - offset) {
            return std::nullopt;
        }
        return std::string(file.substr(offset, count));
    };
}

bool startsAsMovie(const CacheFileBytes& bytes, const CachedBody& body) {
    if (body.length < 8) {
        return false;
    }
    auto signature = bytes(body.offset, 3);
    return signature && (*signature == "FWS" || *signature == "CWS" || *signature == "ZWS");
}

std::string movieCopyName(std::string_view url, std::string_view cacheFileName) {
    const std::string_view address = url.substr(0, url.find_first_of("?#"));
    const std::size_t slash = address.find_last_of('/');
    const std::string_view last = slash == std::string_view::npos ? address : address.substr(slash + 1);
    std::string name;
    for (char c : last) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '-' || c == '_';
        name.push_back(plain ? c : '_');
    }
    name.erase(0, name.find_first_not_of('.'));
    if (name.empty()) {
        name = cacheFileName;
    }
    std::string stem = endsWithNoCase(name, ".swf") ? name.substr(0, name.size() - 4) : name;
    // File systems take names of at most 255 bytes; the copy's name leaves room for ".swf" and a "[n]".
    stem.resize(std::min(stem.size(), kMaxCopyStem));
    return stem + ".swf";
}

BrowserCache::BrowserCache(std::vector<std::string> cacheHomes, std::string movieFolder, std::uint64_t maxMovieBytes)
    : m_homes(std::move(cacheHomes)), m_movieFolder(std::move(movieFolder)), m_maxMovieBytes(maxMovieBytes) {
    if (m_homes.empty()) {
        m_homes = defaultCacheHomes();
    }
    if (m_movieFolder.empty()) {
        auto temp = userTempFolder();
        if (temp.ok()) {
            const std::string host = toHostPath(*temp);
            if (!host.empty()) {
                // Each process its own folder of copies: two running programs never sweep each other's.
                m_sharedParent = host + "/CachedMovies";
                m_movieFolder = m_sharedParent + "/" + std::to_string(::getpid());
            }
        }
    }
}

BrowserCache::~BrowserCache() = default;

void BrowserCache::removeMovieCopies(const std::string& folder) {
    for (const auto& old : sortedEntries(folder)) {
        if (isRegularFile(old) && endsWithNoCase(old.filename().string(), ".swf")) {
            std::error_code ignored;
            fs::remove(old, ignored);
        }
    }
}

std::vector<std::string> BrowserCache::defaultCacheHomes() {
    std::vector<std::string> homes;
    const char* home = std::getenv("HOME");
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/') {
        homes.emplace_back(xdg);
    } else if (home && home[0] == '/') {
        homes.push_back(std::string(home) + "/.cache");
    }
    if (home && home[0] == '/') {
        homes.push_back(std::string(home) + "/snap/firefox/common/.cache");
        homes.push_back(std::string(home) + "/snap/chromium/common/.cache");
    }
    return homes;
}

bool BrowserCache::firstEntry() {
    close();
    m_files.clear();
    m_usedNames.clear();
    m_current = {};
    for (const auto& home : m_homes) {
        for (const auto& profile : sortedEntries(fs::path(home) / "mozilla" / "firefox")) {
            for (const auto& file : sortedEntries(profile / "cache2" / "entries")) {
                if (isRegularFile(file)) {
                    m_files.push_back(file.string());
                }
            }
        }
        for (const char* browser : kChromiumBrowsers) {
            for (const auto& profile : sortedEntries(fs::path(home) / browser)) {
                for (const fs::path& folder : {profile / "Cache" / "Cache_Data", profile / "Cache"}) {
                    for (const auto& file : sortedEntries(folder)) {
                        if (isRegularFile(file) && endsWithNoCase(file.filename().string(), "_0")) {
                            m_files.push_back(file.string());
                        }
                    }
                }
            }
        }
    }
    // The copies of the last walk go; only plain movie files of our own folder are touched.
    if (!m_movieFolder.empty()) {
        removeMovieCopies(m_movieFolder);
    }
    // So do the folders that programs which have ended left behind (named by their process number).
    if (!m_sharedParent.empty()) {
        for (const auto& folder : sortedEntries(m_sharedParent)) {
            const std::string name = folder.filename().string();
            const bool number = !name.empty() && name.size() < 10 &&
                                std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (number && folder.string() != m_movieFolder && ::kill(::pid_t(std::stol(name)), 0) != 0 &&
                errno == ESRCH) {
                removeMovieCopies(folder.string());
                std::error_code ignored;
                fs::remove(folder, ignored); // only when nothing else is left in it
            }
        }
    }
    if (m_files.empty()) {
        return false;
    }
    m_open = true;
    return load(0);
}

bool BrowserCache::nextEntry() {
    if (!m_open) {
        return false;
    }
    if (m_position + 1 >= m_files.size()) {
        m_position = m_files.size();
        m_current = {};
        return false;
    }
    return load(m_position + 1);
}

void BrowserCache::close() {
    m_open = false;
}

bool BrowserCache::load(std::size_t index) {
    m_position = index;
    const std::string& file = m_files[index];
    m_current = CacheEntry{"", toSystemPath(file), kNormalCacheEntry};

    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (!in || ec) {
        return true;
    }
    const CacheFileBytes bytes = [&in](std::uint64_t offset, std::uint64_t count) {
        return streamBytesAt(in, offset, count);
    };
    const std::optional<CachedBody> body = cachedBody(bytes, size);
    if (!body) {
        return true;
    }
    m_current.sourceUrl = body->url;
    if (!startsAsMovie(bytes, *body) || body->length > m_maxMovieBytes || m_movieFolder.empty()) {
        return true;
    }

    auto movie = bytes(body->offset, body->length);
    if (!movie) {
        return true;
    }
    fs::create_directories(m_movieFolder, ec);
    if (ec) {
        return true;
    }
    fs::permissions(m_movieFolder, fs::perms::owner_all, fs::perm_options::replace, ec);
    const std::string copy = m_movieFolder + "/" + uniqueMovieCopyName(body->url, file);
    {
        std::ofstream out(copy, std::ios::binary | std::ios::trunc);
        out.write(movie->data(), std::streamsize(movie->size()));
        if (!out.flush()) {
            out.close();
            fs::remove(copy, ec);
            return true;
        }
    }
    const std::string system = toSystemPath(copy);
    if (!system.empty()) {
        m_current.localFileName = system;
    }
    return true;
}

std::string BrowserCache::uniqueMovieCopyName(const std::string& url, const std::string& cacheFile) {
    const std::string name = movieCopyName(url, fs::path(cacheFile).filename().string());
    const std::string stem = name.substr(0, name.size() - 4);
    std::string candidate = name;
    for (int n = 1; std::any_of(m_usedNames.begin(), m_usedNames.end(),
                                [&](const std::string& used) { return base::iequals(used, candidate); });
         ++n) {
        candidate = stem + "[" + std::to_string(n) + "].swf";
    }
    m_usedNames.push_back(candidate);
    return candidate;
}

} // namespace glw::platform
