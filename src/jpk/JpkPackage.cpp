// Encoding of package entry headers, the rule for names a stub may use, and the bounded walk over entries.
#include "jpk/JpkPackage.h"

#include "base/Ascii.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace glw::jpk {

Result<std::string> encodeJpkEntryHeader(std::string_view name, std::uint64_t size) {
    if (name.empty()) {
        return makeError(ErrorCode::Invalid, "an entry needs a name");
    }
    if (name.find('\0') != std::string_view::npos) {
        return makeError(ErrorCode::Invalid, "an entry name holds a zero byte");
    }
    if (name.size() > kJpkMaxNameLength) {
        return makeError(ErrorCode::Invalid, "an entry name is longer than 255 bytes");
    }
    if (size > kJpkMaxEntrySize) {
        return makeError(ErrorCode::TooLarge, "an entry holds at most 2,147,483,647 bytes");
    }
    std::string header(name);
    header.push_back('\0');
    header += std::to_string(size);
    header.push_back('\0');
    return header;
}

bool isBareEntryName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    if (name.find_first_of(std::string_view("\\/:\0", 4)) != std::string_view::npos) {
        return false;
    }
    if (name.find("..") != std::string_view::npos) {
        return false;
    }
    if (std::all_of(name.begin(), name.end(), [](char c) { return c == '.'; })) {
        return false;
    }
    return !sameEntryName(name, kJpkDataFileName);
}

bool sameEntryName(std::string_view a, std::string_view b) {
    return base::iequals(a, b);
}

Result<std::string> JpkWalker::readField(std::uint64_t offset, const char* what) {
    std::array<char, kJpkWindow> window{};
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kJpkWindow, m_length - offset));
    std::size_t got = 0;
    // The source may deliver the window in pieces; ask again until it is full or the source stops.
    while (got < want) {
        auto n = m_readAt(offset + got, window.data() + got, want - got);
        if (!n) {
            return n.error();
        }
        if (*n == 0) {
            break;
        }
        got += *n;
    }
    const char* end = static_cast<const char*>(std::memchr(window.data(), '\0', got));
    if (end == nullptr) {
        if (got < kJpkWindow) {
            return makeError(ErrorCode::Truncated, std::string("the package ends inside an entry's ") + what, offset);
        }
        return makeError(ErrorCode::Malformed, std::string("an entry's ") + what + " has no end within 256 bytes",
                         offset);
    }
    return std::string(window.data(), static_cast<std::size_t>(end - window.data()));
}

Result<std::optional<JpkEntry>> JpkWalker::next() {
    if (m_error) {
        return *m_error;
    }
    if (m_position == m_length) {
        return std::optional<JpkEntry>();
    }
    auto fail = [this](Error error) -> Result<std::optional<JpkEntry>> {
        m_error = error;
        return error;
    };

    JpkEntry entry;
    entry.headerOffset = m_position;
    auto name = readField(m_position, "name");
    if (!name) {
        return fail(name.error());
    }
    std::uint64_t sizeOffset = m_position + name->size() + 1;
    if (sizeOffset >= m_length) {
        return fail(makeError(ErrorCode::Truncated, "the package ends after an entry's name", sizeOffset));
    }
    auto sizeText = readField(sizeOffset, "size");
    if (!sizeText) {
        return fail(sizeText.error());
    }
    if (sizeText->empty() || sizeText->size() > kJpkMaxSizeDigits ||
        !std::all_of(sizeText->begin(), sizeText->end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return fail(makeError(ErrorCode::Malformed, "an entry's size is not 1 to 10 digits", sizeOffset));
    }
    std::uint64_t size = 0;
    for (char c : *sizeText) {
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (size > kJpkMaxEntrySize) {
        return fail(makeError(ErrorCode::Malformed, "an entry's size exceeds 2,147,483,647", sizeOffset));
    }
    entry.dataOffset = sizeOffset + sizeText->size() + 1;
    if (entry.dataOffset > m_length || size > m_length - entry.dataOffset) {
        return fail(
            makeError(ErrorCode::Truncated, "an entry's data runs past the end of the package", entry.dataOffset));
    }
    entry.name = std::move(*name);
    entry.size = size;
    m_position = entry.dataOffset + size;
    return std::optional<JpkEntry>(std::move(entry));
}

JpkWalker walkJpkBytes(std::string_view bytes) {
    return JpkWalker(bytes.size(),
                     [bytes](std::uint64_t offset, char* buffer, std::size_t length) -> Result<std::size_t> {
                         if (offset >= bytes.size()) {
                             return std::size_t{0};
                         }
                         std::size_t n = std::min<std::size_t>(length, bytes.size() - static_cast<std::size_t>(offset));
                         std::memcpy(buffer, bytes.data() + offset, n);
                         return n;
                     });
}

} // namespace glw::jpk
