// An in-memory HTTP client for tests: replies set by address, delivered in pieces, one piece per poll.
#pragma once

#include "http/Http.h"

#include <vector>

namespace glw::http {

struct MemoryReply {
    int status = 200;
    std::string body;
    bool sendLength = true; // false: no Content-Length header, as a chunked reply
    // When set, only this many bytes of the body arrive and the transfer then fails Truncated; the
    // Content-Length header still announces the whole body.
    std::optional<std::size_t> cutAfter{};
    std::map<std::string, std::string> headers{}; // further header lines
    std::size_t pieceSize = 1024;
};

class MemoryClient : public Client {
public:
    // The reply for an address (as normalizeAddress gives it). Unknown addresses fail as no server does.
    void set(const std::string& address, MemoryReply reply);
    // The addresses asked for, normalised, in order.
    const std::vector<std::string>& requests() const { return m_requests; }
    // Transfers still polled (started and not yet ended).
    int running() const { return m_running; }

    std::unique_ptr<Transfer> get(Request request) override;

private:
    friend class MemoryTransfer;
    std::map<std::string, MemoryReply> m_replies;
    std::vector<std::string> m_requests;
    int m_running = 0;
};

} // namespace glw::http
