// The HTTP file server on loopback: whole files, HEAD, byte ranges, every refusal, and devices
// served while others stall.
#include <arpa/inet.h>
#include <httplib.h>
#include <sys/socket.h>

#include <thread>

#include "service/http_file_server.h"
#include "tests/service/served_server_fixture.h"

namespace cpe::service::test {
namespace {

class HttpFileServerTest : public ServedFolderTest {
protected:
    void SetUp() override {
        ServedFolderTest::SetUp();
        Put("fw.bin", Pattern(1000));
        HttpServerOptions options;
        options.address = "127.0.0.1";
        options.port = 0;
        server_ = std::make_unique<HttpFileServer>(Folder(), options, log_.Sink());
        ASSERT_EQ(server_->Listen(), "");
        thread_ = std::thread([this] { server_->Run(); });
        client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->Port());
    }
    void TearDown() override {
        server_->RequestStop();
        thread_.join();
    }
    httplib::Result GetRange(const std::string& range) { return client_->Get("/fw.bin", {{"Range", range}}); }

    std::unique_ptr<HttpFileServer> server_;
    std::thread thread_;
    std::unique_ptr<httplib::Client> client_;
};

TEST_F(HttpFileServerTest, ServesWholeFilesAndHeadAndLogsEachTransfer) {
    const auto get = client_->Get("/fw.bin");
    ASSERT_TRUE(get);
    EXPECT_EQ(get->status, 200);
    EXPECT_EQ(get->body, Pattern(1000));
    EXPECT_EQ(get->get_header_value("Accept-Ranges"), "bytes");
    // The GET is logged when the server lets go of the body, which may be after the client has
    // it: wait for that line before the HEAD can write its own.
    const auto record = log_.For("fw.bin");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->result, "ok");
    EXPECT_EQ(record->bytes, 1000u);
    EXPECT_TRUE(record->peer.starts_with("127.0.0.1:"));

    const auto head = client_->Head("/fw.bin");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->get_header_value("Content-Length"), "1000");
    EXPECT_TRUE(head->body.empty());
    const auto records = log_.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].result, "ok (HEAD)");
    EXPECT_EQ(records[1].bytes, 0u);
}

TEST_F(HttpFileServerTest, AnswersByteRangesInsideTheFileOnly) {
    struct Case {
        const char* range;
        int status;
        std::string body;
        std::string contentRange;
    };
    const std::string all = Pattern(1000);
    const std::vector<Case> cases = {
        {"bytes=0-9", 206, all.substr(0, 10), "bytes 0-9/1000"},
        {"bytes=990-", 206, all.substr(990), "bytes 990-999/1000"},
        {"bytes=-5", 206, all.substr(995), "bytes 995-999/1000"},
        {"bytes=-5000", 206, all, "bytes 0-999/1000"},
        {"bytes=995-2000", 206, all.substr(995), "bytes 995-999/1000"},  // cut at the end of the file
        {"bytes=1000-1001", 416, "", "bytes */1000"},
        {"bytes=5-2", 416, "", ""},  // httplib refuses a Range it cannot parse before we see it
        {"bytes=-0", 416, "", "bytes */1000"},
        {"bytes=0-1,5-6", 200, all, ""},  // several ranges: the whole file
        {"pages=1-2", 416, "", ""},
    };
    for (const auto& c : cases) {
        const auto res = GetRange(c.range);
        ASSERT_TRUE(res) << c.range;
        EXPECT_EQ(res->status, c.status) << c.range;
        if (c.status != 416) {
            EXPECT_EQ(res->body, c.body) << c.range;
        }
        EXPECT_EQ(res->get_header_value("Content-Range"), c.contentRange) << c.range;
    }
}

TEST_F(HttpFileServerTest, RefusesOtherMethodsAndAnythingOutsideTheFolder) {
    struct Case {
        std::string path;
        int status;
    };
    const std::vector<Case> cases = {
        {"/..%2Fsecret.txt", 403}, {"/%2E%2E", 403}, {"/sub/inner.bin", 403}, {"/sub", 403}, {"/link.bin", 403},
        {"/missing.bin", 404},     {"/", 403},
    };
    for (const auto& c : cases) {
        const auto res = client_->Get(c.path);
        ASSERT_TRUE(res) << c.path;
        EXPECT_EQ(res->status, c.status) << c.path;
        EXPECT_EQ(res->body.find("secret"), std::string::npos);
    }
    const auto post = client_->Post("/fw.bin", "x", "text/plain");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 405);
    EXPECT_EQ(post->get_header_value("Allow"), "GET, HEAD");
    const auto put = client_->Put("/new.bin", "x", "text/plain");
    ASSERT_TRUE(put);
    EXPECT_EQ(put->status, 405);
    EXPECT_FALSE(std::filesystem::exists(Www() / "new.bin"));
    const auto del = client_->Delete("/fw.bin");
    ASSERT_TRUE(del);
    EXPECT_EQ(del->status, 405);
    EXPECT_TRUE(std::filesystem::exists(Www() / "fw.bin"));

    for (const auto& r : log_.Records())
        EXPECT_TRUE(r.result.starts_with("refused: ")) << r.file << ": " << r.result;
}

// A TCP connection to the server that sends `request` and then reads nothing.
platform::UniqueFd SendAndStall(std::uint16_t port, const std::string& request) {
    platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int small = 4096;  // the server's writes block soon
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    EXPECT_EQ(::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    return fd;
}

TEST_F(HttpFileServerTest, TenDevicesFetchWhileOneStopsReadingAndOneTricklesItsRequest) {
    const std::string big = Pattern(16 << 20, 1), image = Pattern(1 << 20, 2);
    Put("big.bin", big);
    Put("fw2.bin", image);
    auto stalled = SendAndStall(server_->Port(), "GET /big.bin HTTP/1.1\r\nHost: device\r\n\r\n");
    auto trickling = SendAndStall(server_->Port(), "GET /fw2.bin HTTP/1.1\r\nHost: dev");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // both hold a server thread by now

    std::vector<std::string> bodies(10);
    std::vector<std::thread> devices;
    for (auto& body : bodies)
        devices.emplace_back([&] {
            httplib::Client device("127.0.0.1", server_->Port());
            device.set_read_timeout(std::chrono::seconds(30));
            if (const auto res = device.Get("/fw2.bin"))
                body = res->body;
        });
    for (auto& d : devices)
        d.join();
    for (const auto& body : bodies)
        EXPECT_TRUE(body == image) << body.size() << " bytes";
    // Neither was let go first to make room for them.
    EXPECT_FALSE(log_.For("big.bin", std::chrono::milliseconds(0))) << "the stalled client was dropped already";
    char byte;
    EXPECT_LT(::recv(trickling.Get(), &byte, 1, MSG_DONTWAIT | MSG_PEEK), 0) << "the trickling client was dropped";

    // The stalled device goes away: its line says how far it got.
    stalled.Reset();
    const auto record = log_.For("big.bin");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->result, "connection closed early");
    EXPECT_GT(record->bytes, 0u);
    EXPECT_LT(record->bytes, big.size());
    EXPECT_TRUE(record->peer.starts_with("127.0.0.1:"));
}

TEST(HttpFileServerListen, ASecondServerOnTheSamePortFailsWithAReason) {
    cpe::test::TempDir dir;
    auto folder = [&] { return std::get<ServedFolder>(ServedFolder::Open(dir.path())); };
    HttpServerOptions options;
    options.address = "127.0.0.1";
    options.port = 0;
    HttpFileServer first(folder(), options, [](const TransferRecord&) {});
    ASSERT_EQ(first.Listen(), "");
    options.port = first.Port();
    HttpFileServer second(folder(), options, [](const TransferRecord&) {});
    EXPECT_NE(second.Listen().find("cannot listen on 127.0.0.1:"), std::string::npos);
}

}  // namespace
}  // namespace cpe::service::test
