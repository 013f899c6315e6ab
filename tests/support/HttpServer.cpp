// The test HTTP server: one connection at a time, "Connection: close" on every reply.
#include "support/HttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace glw::test {

namespace {

std::string reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

std::string decodePath(const std::string& target) {
    std::string path = target.substr(0, target.find('?'));
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size()) {
            out += char(std::stoi(path.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += path[i];
        }
    }
    return out;
}

} // namespace

HttpServer::HttpServer(std::string root) : m_root(std::move(root)) {
    // The updater reads any reply holding "404" as a missing page, and the site's address is part of its
    // reply: a port with "404" in it is passed over (held until a good one is bound, so it is not given
    // again).
    std::vector<int> passedOver;
    for (;;) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0; // the system picks a free port
        socklen_t length = sizeof address;
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("the test server cannot listen on 127.0.0.1");
        }
        m_port = ntohs(address.sin_port);
        if (std::to_string(m_port).find("404") == std::string::npos) {
            break;
        }
        passedOver.push_back(m_listen);
    }
    for (int fd : passedOver) {
        ::close(fd);
    }
    if (::listen(m_listen, 16) != 0 || ::pipe2(m_wake, O_CLOEXEC) != 0) {
        throw std::runtime_error("the test server cannot listen on 127.0.0.1");
    }
    m_thread = std::thread([this] { serve(); });
}

HttpServer::~HttpServer() {
    m_stop = true;
    [[maybe_unused]] auto written = ::write(m_wake[1], "x", 1);
    m_thread.join();
    ::close(m_listen);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

std::string HttpServer::base() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void HttpServer::route(const std::string& path, Route route) {
    std::lock_guard lock(m_mutex);
    m_routes[path] = std::move(route);
}

std::vector<std::string> HttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void HttpServer::serve() {
    while (!m_stop) {
        pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0) {
            continue;
        }
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            answer(fd);
            ::close(fd);
        }
    }
}

void HttpServer::sendAll(int fd, const std::string& bytes, bool throttled) {
    const long rate = throttled ? m_rate.load() : 0;
    const std::size_t piece = rate > 0 ? std::max<std::size_t>(std::size_t(rate / 20), 1) : bytes.size();
    for (std::size_t at = 0; at < bytes.size() && !m_stop;) {
        const std::size_t count = std::min(piece, bytes.size() - at);
        const ssize_t sent = ::send(fd, bytes.data() + at, count, MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        at += std::size_t(sent);
        if (rate > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

void HttpServer::answer(int fd) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) {
            return;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return;
        }
        head.append(buffer, std::size_t(got));
    }
    std::istringstream line(head.substr(0, head.find("\r\n")));
    std::string method, target;
    line >> method >> target;
    Route reply;
    bool found = false;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(target);
        auto it = m_routes.find(target.substr(0, target.find('?')));
        if (it != m_routes.end()) {
            reply = it->second;
            found = true;
        }
    }
    const std::string path = decodePath(target);
    if (!found && !m_root.empty() && path.find("..") == std::string::npos) {
        std::ifstream in(m_root + path, std::ios::binary);
        if (in) {
            std::ostringstream bytes;
            bytes << in.rdbuf();
            reply.body = bytes.str();
            found = true;
        }
    }
    if (!found) {
        reply = Route{404, "<html><body>404 Not Found</body></html>", false, -1, "text/html"};
    }

    std::string header = "HTTP/1.1 " + std::to_string(reply.status) + " " + reason(reply.status) +
                         "\r\nContent-Type: " + reply.contentType + "\r\nConnection: close\r\n";
    if (reply.chunked) {
        header += "Transfer-Encoding: chunked\r\n\r\n";
        sendAll(fd, header, false);
        for (std::size_t at = 0; at < reply.body.size(); at += 1000) {
            const std::string piece = reply.body.substr(at, 1000);
            std::ostringstream size;
            size << std::hex << piece.size();
            sendAll(fd, size.str() + "\r\n" + piece + "\r\n", true);
        }
        sendAll(fd, "0\r\n\r\n", false);
        return;
    }
    header += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n";
    sendAll(fd, header, false);
    if (method == "HEAD") {
        return;
    }
    if (reply.cutAfter >= 0) {
        sendAll(fd, reply.body.substr(0, std::size_t(reply.cutAfter)), true);
        return;
    }
    if (reply.trickleAfter >= 0) {
        const std::size_t first = std::min(reply.body.size(), std::size_t(reply.trickleAfter));
        if (::send(fd, reply.body.data(), first, MSG_NOSIGNAL) != ssize_t(first)) {
            return;
        }
        const std::size_t piece = std::size_t(std::max(1L, reply.trickleBytes));
        for (std::size_t at = first; at < reply.body.size() && !m_stop;) {
            // Sleeps in short steps, so that the server's end is not held up by a slow reply.
            const auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(reply.trickleEveryMs);
            while (!m_stop && std::chrono::steady_clock::now() < next) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            const std::size_t count = std::min(piece, reply.body.size() - at);
            if (::send(fd, reply.body.data() + at, count, MSG_NOSIGNAL) <= 0) {
                return;
            }
            at += count;
        }
        return;
    }
    sendAll(fd, reply.body, true);
}

} // namespace glw::test
