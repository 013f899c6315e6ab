// A small result type for library code that reports failure by status instead of throwing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace glw::base {

enum class ErrorCode {
    None = 0,
    NotFound,      // a file, entry or name that is not there
    Io,            // the operating system refused a read, write or rename
    Malformed,     // bytes that do not follow their format
    Truncated,     // a declared length runs past the end of the data
    Unsupported,   // a well-formed input this code does not handle
    TooLarge,      // a size or count beyond the stated bound
    WrongPassword, // an encrypted entry that the password does not open
    Unsafe,        // a name that would leave its folder
    Cancelled,
    Invalid, // an argument outside its contract
};

struct Error {
    ErrorCode code = ErrorCode::None;
    std::uint64_t offset = 0; // byte offset in the input where the fault was found, when it applies
    std::string detail;
    int osError = 0; // the system's errno behind an Io or NotFound error, when there is one
};

// Result<T>: a value or an Error. Result<void> carries only the status.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const Error& error() const { return m_error; }

private:
    std::optional<T> m_value;
    Error m_error;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }

private:
    Error m_error;
    bool m_failed = false;
};

inline Error makeError(ErrorCode code, std::string detail, std::uint64_t offset = 0) {
    return Error{code, offset, std::move(detail)};
}

} // namespace glw::base

// Every layer reports failure with these, so they are named at the top of the system's namespace too.
namespace glw {
using base::Error;
using base::ErrorCode;
using base::makeError;
using base::Result;
} // namespace glw
