// The HTTP layer: addresses, and GETs through the real client against a local server and through the
// in-memory client, with well-formed and broken replies.
#include "http/Http.h"
#include "http/MemoryClient.h"
#include "support/HttpServer.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace glw::http {
namespace {

TEST(HttpAddress, SchemeLessAddressesAreHttp) {
    const std::pair<const char*, const char*> cases[] = {
        {"updates.example.com/glwupd.asp", "http://updates.example.com/glwupd.asp"},
        {"127.0.0.1:8080/x", "http://127.0.0.1:8080/x"},
        {"localhost:8080/x", "http://localhost:8080/x"},
        {"http://a/b", "http://a/b"},
        {"https://a/b", "https://a/b"},
        {"HTTPS://a/b", "HTTPS://a/b"},
        {"ftp://a/b", "ftp://a/b"}, // kept as it is; the client refuses it
        {"", "http://"},
    };
    for (const auto& [given, expected] : cases) {
        EXPECT_EQ(normalizeAddress(given), expected) << given;
    }
}

TEST(HttpAddress, QueryValuesArePercentEncodedAndPlainIdsStandAsTheyAre) {
    const std::pair<const char*, const char*> cases[] = {
        {"GLWSE2", "GLWSE2"},   {"a-b_c.d~e", "a-b_c.d~e"}, {"a b", "a%20b"}, {"x&Prog=y", "x%26Prog%3Dy"},
        {"id\r\n", "id%0D%0A"}, {"\xC3\xA9", "%C3%A9"},     {"", ""},
    };
    for (const auto& [given, expected] : cases) {
        EXPECT_EQ(encodeQueryValue(given), expected) << given;
    }
}

// What a transfer gave: the body, the progress calls and the final reply.
struct Fetched {
    std::string body;
    std::vector<Progress> progress;
    Reply reply;
    int rounds = 0;
};

Fetched fetch(Client& client, const std::string& address, int timeoutSeconds = 10, long refuseAfter = -1) {
    Fetched out;
    Request request;
    request.address = address;
    request.timeoutSeconds = timeoutSeconds;
    request.onData = [&](std::string_view piece) {
        if (refuseAfter >= 0 && long(out.body.size()) >= refuseAfter) {
            return false;
        }
        out.body.append(piece);
        return true;
    };
    request.onProgress = [&](const Progress& p) { out.progress.push_back(p); };
    auto transfer = client.get(std::move(request));
    out.reply = runToEnd(*transfer, [&] { ++out.rounds; });
    return out;
}

std::string bytes(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = char((i * 7 + i / 251) & 0xFF);
    }
    return text;
}

class CurlAgainstLocalServer : public ::testing::Test {
protected:
    test::HttpServer server;
    CurlClient client;
};

TEST_F(CurlAgainstLocalServer, RepliesAcceptedAndRefused) {
    const std::string big = bytes(300000);
    server.route("/file.bin", {200, big});
    server.route("/chunked", {200, big, true});
    server.route("/missing", {404, "<html>404 Not Found</html>"});
    server.route("/cut", {200, big, false, 100000});
    server.route("/empty", {200, ""});

    struct Case {
        const char* path;
        int status;
        std::optional<std::uint64_t> length;
        std::size_t received;
        std::optional<ErrorCode> failure;
        bool complete;
    };
    const Case cases[] = {
        {"/file.bin", 200, big.size(), big.size(), std::nullopt, true},
        {"/chunked", 200, std::nullopt, big.size(), std::nullopt, true},
        {"/missing", 404, 26, 26, std::nullopt, false},
        {"/cut", 200, big.size(), 100000, ErrorCode::Truncated, false},
        {"/empty", 200, 0, 0, std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Fetched got = fetch(client, server.base() + c.path);
        EXPECT_EQ(got.reply.status, c.status);
        EXPECT_EQ(got.reply.contentLength, c.length);
        EXPECT_EQ(got.reply.received, c.received);
        EXPECT_EQ(got.body.size(), c.received);
        EXPECT_EQ(got.reply.failure.has_value(), c.failure.has_value());
        if (c.failure && got.reply.failure) {
            EXPECT_EQ(got.reply.failure->code, *c.failure) << got.reply.failure->detail;
        }
        EXPECT_EQ(got.reply.complete(), c.complete);
        if (c.status == 200 && !c.failure) {
            EXPECT_EQ(got.body, big.substr(0, c.received));
        }
        if (!got.progress.empty()) {
            EXPECT_EQ(got.progress.back().received, c.received);
            EXPECT_EQ(got.progress.back().total, c.length);
        }
    }
}

TEST_F(CurlAgainstLocalServer, ABodyArrivesInPiecesOverManyPollsWithRisingProgress) {
    server.route("/big", {200, bytes(200000)});
    server.throttle(400000); // half a second
    const Fetched got = fetch(client, server.base() + "/big");
    ASSERT_TRUE(got.reply.complete());
    EXPECT_GT(got.rounds, 3);
    EXPECT_GT(got.progress.size(), 3u);
    for (std::size_t i = 1; i < got.progress.size(); ++i) {
        EXPECT_GT(got.progress[i].received, got.progress[i - 1].received);
    }
}

TEST_F(CurlAgainstLocalServer, AnAddressWithoutSchemeIsFetchedOverHttpAndTheQueryReachesTheServer) {
    server.route("/glwupd.asp", {200, "reply"});
    const Fetched got = fetch(client, "127.0.0.1:" + std::to_string(server.port()) + "/glwupd.asp?Prog=A%20B");
    EXPECT_TRUE(got.reply.complete());
    EXPECT_EQ(got.body, "reply");
    EXPECT_EQ(got.reply.header("CONTENT-LENGTH"), "5");
    ASSERT_FALSE(server.requests().empty());
    EXPECT_EQ(server.requests().back(), "/glwupd.asp?Prog=A%20B");
}

TEST_F(CurlAgainstLocalServer, AReceiverThatRefusesStopsTheTransfer) {
    server.route("/big", {200, bytes(300000)});
    const Fetched got = fetch(client, server.base() + "/big", 10, 0);
    ASSERT_TRUE(got.reply.failure.has_value());
    EXPECT_EQ(got.reply.failure->code, ErrorCode::Cancelled);
    EXPECT_FALSE(got.reply.complete());
}

TEST(CurlClientFailures, NoServerOtherSchemesAndSilence) {
    CurlClient client;
    // A port that was free a moment ago and has no listener now.
    int closedPort = 0;
    {
        test::HttpServer gone;
        closedPort = gone.port();
    }
    const Fetched noServer = fetch(client, "http://127.0.0.1:" + std::to_string(closedPort) + "/x");
    ASSERT_TRUE(noServer.reply.failure.has_value());
    EXPECT_EQ(noServer.reply.failure->code, ErrorCode::NotFound) << noServer.reply.failure->detail;
    EXPECT_EQ(noServer.reply.status, 0);

    const Fetched ftp = fetch(client, "ftp://127.0.0.1:1/x");
    ASSERT_TRUE(ftp.reply.failure.has_value());
    EXPECT_EQ(ftp.reply.failure->code, ErrorCode::Unsupported);

    // A server that takes the connection and never answers: the timeout ends the wait.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    socklen_t length = sizeof address;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    const Fetched quiet = fetch(client, "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x", 1);
    ::close(silent);
    ASSERT_TRUE(quiet.reply.failure.has_value());
    EXPECT_EQ(quiet.reply.failure->code, ErrorCode::Io) << quiet.reply.failure->detail;
}

TEST(CurlClientFailures, TheLibraryCanSpeakHttps) {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    ASSERT_NE(info, nullptr);
    EXPECT_NE(info->features & CURL_VERSION_SSL, 0);
    bool https = false;
    for (const char* const* p = info->protocols; *p != nullptr; ++p) {
        https = https || std::string(*p) == "https";
    }
    EXPECT_TRUE(https);
}

TEST(MemoryClient, RepliesArriveOnePiecePerPollAndBrokenOnesFail) {
    MemoryClient client;
    client.set("site/a", {200, bytes(5000)});
    client.set("http://site/chunked", {200, "abc", false});
    client.set("site/cut", {200, bytes(5000), true, 2048});
    client.set("site/404", {404, "404"});

    const Fetched a = fetch(client, "site/a");
    EXPECT_TRUE(a.reply.complete());
    EXPECT_EQ(a.progress.size(), 5u);
    EXPECT_EQ(a.reply.contentLength, 5000u);

    const Fetched chunked = fetch(client, "site/chunked");
    EXPECT_TRUE(chunked.reply.complete());
    EXPECT_FALSE(chunked.reply.contentLength.has_value());
    EXPECT_EQ(chunked.body, "abc");

    const Fetched cut = fetch(client, "site/cut");
    EXPECT_EQ(cut.reply.received, 2048u);
    ASSERT_TRUE(cut.reply.failure.has_value());
    EXPECT_EQ(cut.reply.failure->code, ErrorCode::Truncated);
    EXPECT_FALSE(cut.reply.complete());

    const Fetched missing = fetch(client, "site/404");
    EXPECT_EQ(missing.reply.status, 404);
    EXPECT_FALSE(missing.reply.complete());

    const Fetched nobody = fetch(client, "elsewhere/x");
    ASSERT_TRUE(nobody.reply.failure.has_value());
    EXPECT_EQ(nobody.reply.failure->code, ErrorCode::NotFound);

    EXPECT_EQ(client.requests().front(), "http://site/a");
    EXPECT_EQ(client.running(), 0);
}

} // namespace
} // namespace glw::http
