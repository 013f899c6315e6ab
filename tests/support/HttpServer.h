// A small HTTP/1.1 server for tests, bound to 127.0.0.1 on a free port, serving in a thread of its own:
// files of a folder, and replies set by path that misbehave on purpose (chunked without a length, cut off
// before the announced length, trickled, any status).
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace glw::test {

class HttpServer {
public:
    struct Route {
        int status = 200;
        std::string body;
        bool chunked = false; // Transfer-Encoding: chunked, no Content-Length
        long cutAfter = -1;   // >= 0: announce the whole length, send this many bytes, close
        std::string contentType = "application/octet-stream";
        // >= 0: send this many bytes at once, then the rest `trickleBytes` at a time, one piece every
        // `trickleEveryMs` milliseconds, until the body ends, the client goes or the server stops (a body of
        // megabytes is a reply that never ends). Other replies wait meanwhile: the server answers one at a time.
        long trickleAfter = -1;
        long trickleBytes = 1;
        int trickleEveryMs = 1000;
    };

    // Serves the files under `root` (the path of the request, without its query, below the folder);
    // missing files get 404. Starts listening at once.
    explicit HttpServer(std::string root = "");
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>"
    std::string base() const;
    // A reply for a path (without its query), taking precedence over the files.
    void route(const std::string& path, Route route);
    // Body bytes a second for every reply from now on; 0 for no limit. Lets a test see a transfer running.
    void throttle(long bytesPerSecond) { m_rate = bytesPerSecond; }
    // The request targets received, query included, in order.
    std::vector<std::string> requests() const;

private:
    void serve();
    void answer(int fd);
    void sendAll(int fd, const std::string& bytes, bool throttled);

    std::string m_root;
    int m_listen = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_rate{0};
    mutable std::mutex m_mutex;
    std::map<std::string, Route> m_routes;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

} // namespace glw::test
