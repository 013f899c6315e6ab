// Byte sources and sinks over host files, and the complete-or-nothing replacement of a target file.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace glw::swf {

// Delivers bytes in pieces of any size; read() returns 0 only at the end.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    [[nodiscard]] virtual Result<std::size_t> read(std::span<std::uint8_t> into) = 0;
    // Bytes expected in all, when known (0 otherwise): lets a reader reserve once.
    virtual std::size_t sizeHint() const { return 0; }
};

// Takes bytes in order; a failed write leaves the sink unusable.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    [[nodiscard]] virtual Result<void> write(ByteView bytes) = 0;
};

class MemorySink : public ByteSink {
public:
    Result<void> write(ByteView bytes) override {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return {};
    }
    Bytes& bytes() { return m_bytes; }

private:
    Bytes m_bytes;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(ByteView bytes) : m_bytes(bytes) {}
    Result<std::size_t> read(std::span<std::uint8_t> into) override;

private:
    ByteView m_bytes;
    std::size_t m_pos = 0;
};

// Opens a host file for reading. NotFound when it is missing, Io for other refusals.
[[nodiscard]] Result<std::unique_ptr<ByteSource>> openFileSource(const std::string& hostPath);

// Reads a source to its end; TooLarge as soon as it would pass `limit` bytes.
[[nodiscard]] Result<Bytes> readAll(ByteSource& source, std::size_t limit);
[[nodiscard]] Result<Bytes> readFileBytes(const std::string& hostPath, std::size_t limit);
// Reads at most `count` bytes from the start of a file (fewer when the file is shorter).
[[nodiscard]] Result<Bytes> readFilePrefix(const std::string& hostPath, std::size_t count);

// Wraps the sink a file is written through (tests put a failing one around it).
using SinkFilter = std::function<std::unique_ptr<ByteSink>(ByteSink& inner)>;

// Writes a new file beside `hostPath` through `produce`, flushes it to disk and renames it over
// `hostPath` only when everything succeeded; on any failure the temporary file is removed and the
// old target is left as it was.
[[nodiscard]] Result<void> writeFileAtomically(const std::string& hostPath,
                                               const std::function<Result<void>(ByteSink&)>& produce,
                                               const SinkFilter& filter = {});

} // namespace glw::swf
