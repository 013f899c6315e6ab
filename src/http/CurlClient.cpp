// The real HTTP client: one easy handle in its own multi handle per transfer, moved on by the caller's polls.
#include "http/Http.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <curl/curl.h>
#include <mutex>

namespace glw::http {

namespace {

std::string lower(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

Error curlError(CURLcode code, const char* detail) {
    std::string text = std::string(curl_easy_strerror(code)) + (detail && *detail ? std::string(": ") + detail : "");
    switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return makeError(ErrorCode::NotFound, text);
    case CURLE_PARTIAL_FILE:
        return makeError(ErrorCode::Truncated, text);
    case CURLE_WRITE_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:
        return makeError(ErrorCode::Cancelled, text);
    case CURLE_UNSUPPORTED_PROTOCOL:
        return makeError(ErrorCode::Unsupported, text);
    default:
        return makeError(ErrorCode::Io, text);
    }
}

class CurlTransfer : public Transfer {
public:
    explicit CurlTransfer(Request request) : m_request(std::move(request)) {
        m_multi = curl_multi_init();
        m_easy = curl_easy_init();
        if (m_multi == nullptr || m_easy == nullptr) {
            finish(makeError(ErrorCode::Io, "libcurl could not start a transfer"));
            return;
        }
        const std::string address = normalizeAddress(m_request.address);
        curl_easy_setopt(m_easy, CURLOPT_URL, address.c_str());
        curl_easy_setopt(m_easy, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorText);
        curl_easy_setopt(m_easy, CURLOPT_USERAGENT, "glwupdate");
        if (m_request.timeoutSeconds > 0) {
            // A total limit would cut off a large download on a slow line; a stall limit does not.
            curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT, long(m_request.timeoutSeconds));
            curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_LIMIT, std::max(1L, m_request.lowSpeedBytes));
            curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_TIME, long(m_request.timeoutSeconds));
        }
        if (m_request.totalSeconds > 0) {
            curl_easy_setopt(m_easy, CURLOPT_TIMEOUT, long(m_request.totalSeconds));
        }
        curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
        curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
        if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
            finish(makeError(ErrorCode::Io, "libcurl could not start a transfer"));
        }
    }

    ~CurlTransfer() override {
        if (m_multi != nullptr && m_easy != nullptr) {
            curl_multi_remove_handle(m_multi, m_easy);
        }
        if (m_easy != nullptr) {
            curl_easy_cleanup(m_easy);
        }
        if (m_multi != nullptr) {
            curl_multi_cleanup(m_multi);
        }
    }

    bool stillExecuting(int waitMs) override {
        if (m_done) {
            return false;
        }
        int running = 0;
        CURLMcode code = curl_multi_perform(m_multi, &running);
        if (code == CURLM_OK && running > 0 && waitMs > 0) {
            code = curl_multi_poll(m_multi, nullptr, 0, waitMs, nullptr);
            if (code == CURLM_OK) {
                code = curl_multi_perform(m_multi, &running);
            }
        }
        if (code != CURLM_OK) {
            finish(makeError(ErrorCode::Io, curl_multi_strerror(code)));
            return false;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
                long status = 0;
                curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
                m_reply.status = int(status);
                const CURLcode result = message->data.result;
                if (result == CURLE_OK) {
                    finish(std::nullopt);
                } else {
                    finish(curlError(result, m_errorText));
                }
            }
        }
        return !m_done;
    }

    const Reply& reply() const override { return m_reply; }

private:
    void finish(std::optional<Error> failure) {
        m_done = true;
        if (failure && !m_reply.failure) {
            m_reply.failure = std::move(failure);
        }
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* self) {
        auto* transfer = static_cast<CurlTransfer*>(self);
        const std::string_view line(data, size * count);
        Reply& reply = transfer->m_reply;
        if (line.rfind("HTTP/", 0) == 0) {
            // A new status line: a redirect or an interim reply came before; only the last one counts.
            reply.headers.clear();
            reply.contentLength.reset();
            const auto space = line.find(' ');
            int status = 0;
            if (space != std::string_view::npos) {
                std::from_chars(line.data() + space + 1, line.data() + line.size(), status);
            }
            reply.status = status;
            return size * count;
        }
        const auto colon = line.find(':');
        if (colon != std::string_view::npos) {
            const std::string name = lower(trimmed(line.substr(0, colon)));
            const std::string value = trimmed(line.substr(colon + 1));
            reply.headers[name] = value;
            if (name == "content-length") {
                std::uint64_t length = 0;
                const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
                if (error == std::errc() && end == value.data() + value.size() && !value.empty()) {
                    reply.contentLength = length;
                } else {
                    reply.contentLength.reset();
                }
            }
        }
        return size * count;
    }

    static size_t onBody(char* data, size_t size, size_t count, void* self) {
        auto* transfer = static_cast<CurlTransfer*>(self);
        const size_t bytes = size * count;
        Reply& reply = transfer->m_reply;
        if (transfer->m_request.onData && !transfer->m_request.onData(std::string_view(data, bytes))) {
            return 0; // libcurl ends the transfer with a write error
        }
        reply.received += bytes;
        if (transfer->m_request.onProgress) {
            transfer->m_request.onProgress(Progress{reply.received, reply.contentLength});
        }
        return bytes;
    }

    Request m_request;
    Reply m_reply;
    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    bool m_done = false;
    char m_errorText[CURL_ERROR_SIZE] = {};
};

} // namespace

CurlClient::CurlClient() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::unique_ptr<Transfer> CurlClient::get(Request request) {
    return std::make_unique<CurlTransfer>(std::move(request));
}

} // namespace glw::http
