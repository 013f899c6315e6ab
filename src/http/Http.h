// The HTTP layer: a GET whose body streams to the caller as it arrives, with its status, its headers and
// its progress, moved on by polling from the program's own loop (no second thread).
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace glw::http {

// The address with "http://" in front when it names no scheme ("host/x" and "127.0.0.1:80/x" alike).
std::string normalizeAddress(std::string_view address);

// A query value percent-encoded: letters, digits and "-._~" stand as they are, every other byte is "%XX".
std::string encodeQueryValue(std::string_view value);

struct Progress {
    std::uint64_t received = 0;         // body bytes so far
    std::optional<std::uint64_t> total; // the announced length; none when the reply did not give one
};

struct Request {
    std::string address; // normalised with normalizeAddress; only http and https are fetched
    // Seconds allowed to connect, and for any stretch in which fewer than lowSpeedBytes a second arrive;
    // 0 for no limit.
    int timeoutSeconds = 60;
    // The slowest rate (bytes a second) a transfer may keep up for timeoutSeconds; the default 1 fails only
    // a transfer that stalls. A higher one keeps a trickle from holding a download open for ever.
    long lowSpeedBytes = 1;
    // Seconds the whole transfer may take, the connection included; 0 for no limit. For small replies (a
    // page) that must not hold their reader however their bytes come.
    int totalSeconds = 0;
    // Each piece of the body in order. Returning false stops the transfer (its failure is then Cancelled).
    std::function<bool(std::string_view)> onData;
    // Called after every piece with the running count.
    std::function<void(const Progress&)> onProgress;
};

struct Reply {
    int status = 0; // the final reply's HTTP status; 0 when no reply arrived
    // Header lines of the final reply, names lower-cased; a repeated name keeps its last value.
    std::map<std::string, std::string> headers;
    std::optional<std::uint64_t> contentLength; // the Content-Length header when present and a number
    std::uint64_t received = 0;                 // body bytes handed to onData
    // Why the transfer did not run to its end: NotFound (no server, unknown host), Truncated (the
    // connection ended before the announced length), Cancelled (onData refused), Io (timeout and
    // everything else), Unsupported (a scheme other than http and https).
    std::optional<Error> failure;

    bool success() const { return status >= 200 && status <= 299; }
    // The transfer ran to its end with a 2xx status and, when a length was announced, exactly that many
    // bytes.
    bool complete() const { return !failure && success() && (!contentLength || received == *contentLength); }
    // The value of a header ("" when absent), the name found without regard to case.
    std::string header(std::string_view name) const;
};

// One GET under way.
class Transfer {
public:
    virtual ~Transfer() = default;
    // Moves the transfer on, waiting at most `waitMs` milliseconds for the network; true while it runs.
    // Callbacks run from inside this call.
    virtual bool stillExecuting(int waitMs = 10) = 0;
    // Valid while running (status and headers as they arrive) and final once stillExecuting gave false.
    virtual const Reply& reply() const = 0;
};

class Client {
public:
    virtual ~Client() = default;
    // Starts a GET; it moves only while the caller polls stillExecuting.
    virtual std::unique_ptr<Transfer> get(Request request) = 0;
};

// The real client on libcurl's multi interface. Redirects are followed (at most 5, http and https only).
class CurlClient : public Client {
public:
    CurlClient();
    std::unique_ptr<Transfer> get(Request request) override;
};

// Polls the transfer until it ends, calling `between` after every round (the program's message pump).
const Reply& runToEnd(Transfer& transfer, const std::function<void()>& between = {});

} // namespace glw::http
