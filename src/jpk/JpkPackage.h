// The package format appended to the stubs: entries of name, zero byte, decimal size, zero byte and data.
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glw::jpk {

// Large copies go in pieces of this many bytes, on the writing and on the reading side.
inline constexpr std::size_t kJpkPieceSize = 1'000'000;
// A name or a size text must end (with its zero byte) within this many bytes of its start.
inline constexpr std::size_t kJpkWindow = 256;
inline constexpr std::size_t kJpkMaxNameLength = kJpkWindow - 1;
// Sizes are 32-bit signed lengths, written as 1 to 10 decimal digits.
inline constexpr std::uint64_t kJpkMaxEntrySize = 2'147'483'647;
inline constexpr std::size_t kJpkMaxSizeDigits = 10;

// The file a stub copies its package into, inside its work folder; never a name of an entry.
inline constexpr std::string_view kJpkDataFileName = "glwexe.dta";
// The startup list, packed last into the player's and the saver's package.
inline constexpr std::string_view kJpkStartupFileName = "startup.ini";

// One entry of a package, as found by the walk.
struct JpkEntry {
    std::string name;
    std::uint64_t headerOffset = 0; // offset of the name's first byte in the package
    std::uint64_t dataOffset = 0;   // offset of the data's first byte in the package
    std::uint64_t size = 0;
};

// The header of an entry (name, zero byte, size text, zero byte); its data follows it.
// Invalid when the name is empty, holds a zero byte or is longer than 255 bytes, TooLarge above 2,147,483,647.
Result<std::string> encodeJpkEntryHeader(std::string_view name, std::uint64_t size);

// True for a name that a stub may use as a file name in its work folder: not empty, not only dots, no "\",
// "/" or ":", no "..", no zero byte, and not the package copy "glwexe.dta" (in any letter case). Anything
// else could address a file outside the work folder or the stub's own package copy.
bool isBareEntryName(std::string_view name);

// Entry names are the same when they differ only in the letter case of A to Z.
bool sameEntryName(std::string_view a, std::string_view b);

// Reads up to `length` bytes at `offset` of the package into `buffer`; may deliver fewer before the end.
using JpkReadAt = std::function<Result<std::size_t>(std::uint64_t offset, char* buffer, std::size_t length)>;

// Walks the entries of a package of `length` bytes, front to back.
//
// Every field is checked against the bytes that remain before it is used: a name or size text without its
// zero byte within 256 bytes, a size text that is not 1 to 10 digits or exceeds 2,147,483,647, and data
// that runs past the end all end the walk as Malformed or Truncated, with the entries before it intact.
class JpkWalker {
public:
    JpkWalker(std::uint64_t length, JpkReadAt readAt) : m_length(length), m_readAt(std::move(readAt)) {}

    // The next entry, std::nullopt at the clean end of the package, or the error that ends the walk (it
    // repeats on later calls).
    Result<std::optional<JpkEntry>> next();

    std::uint64_t position() const { return m_position; }
    std::uint64_t length() const { return m_length; }

private:
    // The text before the first zero byte of the window at `offset`.
    Result<std::string> readField(std::uint64_t offset, const char* what);

    std::uint64_t m_length;
    JpkReadAt m_readAt;
    std::uint64_t m_position = 0;
    std::optional<Error> m_error;
};

// A walker over package bytes held in memory (tests and small packages). `bytes` must outlive the walker.
JpkWalker walkJpkBytes(std::string_view bytes);

} // namespace glw::jpk
