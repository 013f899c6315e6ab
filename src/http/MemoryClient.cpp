// The in-memory HTTP client.
#include "http/MemoryClient.h"

#include <algorithm>
#include <cctype>

namespace glw::http {

class MemoryTransfer : public Transfer {
public:
    MemoryTransfer(MemoryClient& client, Request request, std::optional<MemoryReply> reply)
        : m_client(client), m_request(std::move(request)), m_source(std::move(reply)) {
        ++m_client.m_running;
        if (!m_source) {
            finish(makeError(ErrorCode::NotFound, "no server answers " + normalizeAddress(m_request.address)));
            return;
        }
        m_reply.status = m_source->status;
        for (const auto& [name, value] : m_source->headers) {
            std::string key;
            for (const char c : name) {
                key += char(std::tolower(static_cast<unsigned char>(c)));
            }
            m_reply.headers[key] = value;
        }
        if (m_source->sendLength) {
            m_reply.contentLength = m_source->body.size();
            m_reply.headers["content-length"] = std::to_string(m_source->body.size());
        }
    }
    ~MemoryTransfer() override {
        if (!m_done) {
            --m_client.m_running;
        }
    }

    bool stillExecuting(int) override {
        if (m_done) {
            return false;
        }
        const std::size_t end =
            m_source->cutAfter ? std::min(*m_source->cutAfter, m_source->body.size()) : m_source->body.size();
        if (m_position >= end) {
            finish(m_source->cutAfter ? std::optional(makeError(ErrorCode::Truncated, "the connection ended early"))
                                      : std::nullopt);
            return false;
        }
        const std::size_t count = std::min(std::max<std::size_t>(m_source->pieceSize, 1), end - m_position);
        const std::string_view piece(m_source->body.data() + m_position, count);
        m_position += count;
        if (m_request.onData && !m_request.onData(piece)) {
            finish(makeError(ErrorCode::Cancelled, "the receiver refused the data"));
            return false;
        }
        m_reply.received += count;
        if (m_request.onProgress) {
            m_request.onProgress(Progress{m_reply.received, m_reply.contentLength});
        }
        return true;
    }

    const Reply& reply() const override { return m_reply; }

private:
    void finish(std::optional<Error> failure) {
        if (!m_done) {
            m_done = true;
            --m_client.m_running;
        }
        m_reply.failure = std::move(failure);
    }

    MemoryClient& m_client;
    Request m_request;
    std::optional<MemoryReply> m_source;
    Reply m_reply;
    std::size_t m_position = 0;
    bool m_done = false;
};

void MemoryClient::set(const std::string& address, MemoryReply reply) {
    m_replies[normalizeAddress(address)] = std::move(reply);
}

std::unique_ptr<Transfer> MemoryClient::get(Request request) {
    const std::string address = normalizeAddress(request.address);
    m_requests.push_back(address);
    auto it = m_replies.find(address);
    std::optional<MemoryReply> reply;
    if (it != m_replies.end()) {
        reply = it->second;
    }
    return std::make_unique<MemoryTransfer>(*this, std::move(request), std::move(reply));
}

} // namespace glw::http
