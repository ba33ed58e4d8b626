#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <thread>

#include "sim/firmware_fetch.h"
#include "tests/sim/tiny_tftp_server.h"

namespace cpe::sim {
namespace {

constexpr Ipv4 kLoopback = 0x7F000001;

std::vector<std::uint8_t> Image(std::size_t size) {
    std::vector<std::uint8_t> v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = static_cast<std::uint8_t>(i * 131 + 7);
    return v;
}

std::uint64_t HashOf(const std::vector<std::uint8_t>& v) { return Fnv1a(kFnvOffset, v.data(), v.size()); }

using test_support::LocalPortOf;
using test_support::TinyTftpServer;

TEST(TftpFetchTest, ReadsAWholeImageAcrossBlocksAndALostAck) {
    const auto image = Image(512 * 3 + 100);
    TinyTftpServer server(image, "fw.bin", 2);
    FetchLimits limits;
    limits.retransmit = std::chrono::milliseconds(200);
    const auto r = TftpFetch(kLoopback, {kLoopback, server.Port()}, "fw.bin", limits);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.bytes, image.size());
    EXPECT_EQ(r.fnv1a, HashOf(image));
}

TEST(TftpFetchTest, AnImageOfWholeBlocksEndsWithAnEmptyBlock) {
    const auto image = Image(1024);
    TinyTftpServer server(image, "fw.bin");
    const auto r = TftpFetch(kLoopback, {kLoopback, server.Port()}, "fw.bin");
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.bytes, 1024u);
}

TEST(TftpFetchTest, ServerErrorsAndSilenceAreFailures) {
    {
        TinyTftpServer server(Image(10), "fw.bin");
        const auto r = TftpFetch(kLoopback, {kLoopback, server.Port()}, "other.bin");
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("File not found"), std::string::npos) << r.error;
    }
    const int silent = test_support::UdpSocketOn(kLoopback, 0);  // bound, never answers
    FetchLimits limits;
    limits.retransmit = std::chrono::milliseconds(50);
    limits.attempts = 3;
    const auto r = TftpFetch(kLoopback, {kLoopback, LocalPortOf(silent)}, "fw.bin", limits);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "tftp timeout");
    ::close(silent);
}

TEST(HttpFetchTest, GetsTheNamedFileAndFailsOnMissingOnes) {
    const auto image = Image(70000);
    httplib::Server server;
    std::string requested;
    server.Get(R"(/(.*))", [&](const httplib::Request& req, httplib::Response& res) {
        requested = req.path;
        if (req.path == "/fw%20B%C3%A9ta.bin" || req.matches[1] == "fw Béta.bin")
            res.set_content(std::string(image.begin(), image.end()), "application/octet-stream");
        else
            res.status = 404;
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread t([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto r = HttpFetch(kLoopback, {kLoopback, static_cast<std::uint16_t>(port)}, "fw Béta.bin");
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.bytes, image.size());
    EXPECT_EQ(r.fnv1a, HashOf(image));
    const auto missing = HttpFetch(kLoopback, {kLoopback, static_cast<std::uint16_t>(port)}, "none.bin");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "http status 404");
    server.stop();
    t.join();
}

TEST(HttpFetchTest, UrlPathEscapesEverythingButUnreservedBytes) {
    EXPECT_EQ(UrlPathOf("a-b_c.d~e"), "/a-b_c.d~e");
    EXPECT_EQ(UrlPathOf("x y/..%"), "/x%20y%2F..%25");
}

}  // namespace
}  // namespace cpe::sim
