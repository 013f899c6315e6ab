// Byte sources and sinks over host files, and the complete-or-nothing replacement of a target file.
#include "swf/Io.h"

#include "base/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::swf {

namespace {

Error ioError(const std::string& what, const std::string& path, int err) {
    return makeError(err == ENOENT ? ErrorCode::NotFound : ErrorCode::Io,
                     what + " " + path + ": " + std::strerror(err));
}

class FdSource : public ByteSource {
public:
    FdSource(base::UniqueFd fd, std::size_t size) : m_fd(std::move(fd)), m_size(size) {}
    std::size_t sizeHint() const override { return m_size; }
    FdSource(const FdSource&) = delete;
    FdSource& operator=(const FdSource&) = delete;

    Result<std::size_t> read(std::span<std::uint8_t> into) override {
        for (;;) {
            ssize_t n = ::read(m_fd.get(), into.data(), into.size());
            if (n >= 0) {
                return static_cast<std::size_t>(n);
            }
            if (errno != EINTR) {
                return makeError(ErrorCode::Io, std::string("read failed: ") + std::strerror(errno));
            }
        }
    }

private:
    base::UniqueFd m_fd;
    std::size_t m_size;
};

class FdSink : public ByteSink {
public:
    explicit FdSink(int fd) : m_fd(fd) {}
    Result<void> write(ByteView bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return makeError(ErrorCode::Io, std::string("write failed: ") + std::strerror(errno));
            }
            done += static_cast<std::size_t>(n);
        }
        return {};
    }

private:
    int m_fd;
};

} // namespace

Result<std::size_t> MemorySource::read(std::span<std::uint8_t> into) {
    std::size_t n = std::min(into.size(), m_bytes.size() - m_pos);
    std::copy_n(m_bytes.data() + m_pos, n, into.data());
    m_pos += n;
    return n;
}

Result<std::unique_ptr<ByteSource>> openFileSource(const std::string& hostPath) {
    base::UniqueFd fd(::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return ioError("cannot open", hostPath, errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return ioError("cannot read", hostPath, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return makeError(ErrorCode::Io, "cannot read a folder: " + hostPath);
    }
    std::size_t size = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
    return std::unique_ptr<ByteSource>(std::make_unique<FdSource>(std::move(fd), size));
}

Result<Bytes> readAll(ByteSource& source, std::size_t limit) {
    // A known size is read straight into place; whatever follows (a source that did not know its
    // size, or a file that grew) is appended piece by piece up to the limit.
    std::size_t hint = std::min(source.sizeHint(), limit);
    Bytes out(hint);
    std::size_t have = 0;
    while (have < hint) {
        Result<std::size_t> n = source.read(std::span<std::uint8_t>(out.data() + have, hint - have));
        if (!n) {
            return n.error();
        }
        if (*n == 0) {
            out.resize(have);
            return out;
        }
        have += *n;
    }
    Bytes buffer(64 * 1024);
    for (;;) {
        Result<std::size_t> n = source.read(std::span<std::uint8_t>(buffer.data(), buffer.size()));
        if (!n) {
            return n.error();
        }
        if (*n == 0) {
            return out;
        }
        if (*n > limit - out.size()) {
            return makeError(ErrorCode::TooLarge, "input is larger than " + std::to_string(limit) + " bytes");
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*n));
    }
}

Result<Bytes> readFileBytes(const std::string& hostPath, std::size_t limit) {
    Result<std::unique_ptr<ByteSource>> source = openFileSource(hostPath);
    if (!source) {
        return source.error();
    }
    return readAll(**source, limit);
}

Result<Bytes> readFilePrefix(const std::string& hostPath, std::size_t count) {
    Result<std::unique_ptr<ByteSource>> source = openFileSource(hostPath);
    if (!source) {
        return source.error();
    }
    Bytes out(count);
    std::size_t have = 0;
    while (have < count) {
        Result<std::size_t> n = (*source)->read(std::span<std::uint8_t>(out.data() + have, count - have));
        if (!n) {
            return n.error();
        }
        if (*n == 0) {
            break;
        }
        have += *n;
    }
    out.resize(have);
    return out;
}

Result<void> writeFileAtomically(const std::string& hostPath, const std::function<Result<void>(ByteSink&)>& produce,
                                 const SinkFilter& filter) {
    if (hostPath.empty()) {
        return makeError(ErrorCode::Invalid, "no output path");
    }
    // Movies are read by other programs right after saving: a new movie gets the bits of a plain new file,
    // a replaced one keeps its own.
    auto file = base::FreshFile::create(hostPath, base::Permissions{0666, true, true});
    if (!file) {
        return file.error();
    }
    FdSink fileSink(file->fd());
    std::unique_ptr<ByteSink> wrapped = filter ? filter(fileSink) : nullptr;
    ByteSink& sink = wrapped ? *wrapped : fileSink;
    Result<void> produced = produce(sink);
    if (!produced) {
        return produced.error();
    }
    return file->commit();
}

} // namespace glw::swf
