// The TFTP server on loopback, driven packet by packet: negotiation, windows, retransmission,
// block-number wrap, refusals and many clients at once.
#include <fcntl.h>
#include <unistd.h>

#include <thread>

#include "service/tftp_server.h"
#include "sim/firmware_fetch.h"
#include "tests/service/served_server_fixture.h"
#include "tests/service/tftp_test_client.h"

namespace cpe::service::test {
namespace {

using std::chrono::milliseconds;

class TftpServerTest : public ServedFolderTest {
protected:
    void Start(RetransmitPolicy policy = {milliseconds(150), milliseconds(600), milliseconds(2000)}) {
        TftpServerOptions options;
        options.address = "127.0.0.1";
        options.port = 0;
        options.retransmit = policy;
        server_ = std::make_unique<TftpServer>(Folder(), options, log_.Sink());
        ASSERT_EQ(server_->Listen(), "");
        thread_ = std::thread([this] { server_->Run(); });
    }
    void TearDown() override {
        if (server_) {
            server_->RequestStop();
            thread_.join();
        }
    }
    std::uint16_t Port() const { return server_->Port(); }

    // Fetches in lock-step (or by windows when the OACK says so), acknowledging every window's
    // last block; the bytes received.
    std::string Download(TftpTestClient& client, const std::string& file,
                         const std::vector<std::pair<std::string, std::string>>& options = {}) {
        client.Read(file, options);
        std::size_t block = 512, window = 1;
        std::string bytes;
        std::uint16_t expected = 1;
        auto first = client.Receive();
        if (!first)
            return "<no answer>";
        std::uint16_t port = first->fromPort;
        if (first->opcode == TftpOpcode::kOptionAck) {
            for (const auto& [name, value] : TftpTestClient::Options(*first)) {
                if (name == "blksize")
                    block = std::stoul(value);
                if (name == "windowsize")
                    window = std::stoul(value);
            }
            client.Ack(port, 0);
            first = client.Receive();
        }
        std::optional<Received> packet = first;
        std::size_t inWindow = 0;
        while (packet) {
            if (packet->opcode != TftpOpcode::kData)
                return "<error " + packet->Text() + ">";
            if (packet->number == expected) {
                bytes.append(packet->payload.begin(), packet->payload.end());
                const bool last = packet->payload.size() < block;
                if (++inWindow == window || last) {
                    client.Ack(port, expected);
                    inWindow = 0;
                }
                if (last)
                    return bytes;
                ++expected;
            }
            packet = client.Receive();
        }
        return "<timed out>";
    }

    std::unique_ptr<TftpServer> server_;
    std::thread thread_;
};

TEST_F(TftpServerTest, ServesFilesInLockStepIncludingTheEmptyFinalBlock) {
    Put("fw.bin", Pattern(3000));
    Put("exact.bin", Pattern(1024, 7));  // a multiple of 512: an empty block ends it
    Put("empty.bin", "");
    Start();
    TftpTestClient client(Port());
    EXPECT_EQ(Download(client, "fw.bin"), Pattern(3000));
    TftpTestClient exact(Port());
    EXPECT_EQ(Download(exact, "exact.bin"), Pattern(1024, 7));
    TftpTestClient empty(Port());
    EXPECT_EQ(Download(empty, "empty.bin"), "");
    const auto record = log_.For("fw.bin");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->result, "ok");
    EXPECT_EQ(record->bytes, 3000u);
    EXPECT_TRUE(record->peer.starts_with("127.0.0.1:"));
}

TEST_F(TftpServerTest, NegotiatesOptionsAndSendsWholeWindows) {
    Put("fw.bin", Pattern(100000));
    Start();
    TftpTestClient client(Port());
    client.Read("fw.bin",
                {{"blksize", "1468"}, {"tsize", "0"}, {"timeout", "2"}, {"windowsize", "8"}, {"colour", "blue"}});
    const auto oack = client.Receive();
    ASSERT_TRUE(oack);
    ASSERT_EQ(oack->opcode, TftpOpcode::kOptionAck);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"blksize", "1468"}, {"tsize", "100000"}, {"timeout", "2"}, {"windowsize", "8"}};
    EXPECT_EQ(TftpTestClient::Options(*oack), expected);
    EXPECT_NE(oack->fromPort, Port()) << "each transfer answers from a port of its own";

    client.Ack(oack->fromPort, 0);
    for (std::uint16_t b = 1; b <= 8; ++b) {
        const auto data = client.Receive();
        ASSERT_TRUE(data);
        EXPECT_EQ(data->number, b);
        EXPECT_EQ(data->payload.size(), 1468u);
    }
    EXPECT_FALSE(client.Receive(milliseconds(50))) << "no block beyond the window before its ACK";

    // The client saw blocks 1-3 only: the next window starts at 4.
    client.Ack(oack->fromPort, 3);
    const auto resent = client.Receive();
    ASSERT_TRUE(resent);
    EXPECT_EQ(resent->number, 4);
    EXPECT_EQ(std::string(resent->payload.begin(), resent->payload.end()), Pattern(100000).substr(3 * 1468, 1468));

    TftpTestClient whole(Port());
    EXPECT_EQ(Download(whole, "fw.bin", {{"blksize", "1468"}, {"windowsize", "8"}}), Pattern(100000));
}

TEST_F(TftpServerTest, RefusedOrMalformedOptionsFallBackToPlainTftp) {
    Put("fw.bin", Pattern(2000));
    Start();
    TftpTestClient client(Port());
    client.Read("fw.bin",
                {{"blksize", "4"}, {"windowsize", "0"}, {"timeout", "900"}, {"tsize", "-1"}, {"blksize2", "x"}});
    const auto first = client.Receive();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->opcode, TftpOpcode::kData) << "no option was acceptable, so no OACK";
    EXPECT_EQ(first->number, 1);
    EXPECT_EQ(first->payload.size(), 512u);
}

TEST_F(TftpServerTest, RetransmitsOnSilenceIgnoresDuplicateAcksAndGivesUp) {
    Put("fw.bin", Pattern(5000));
    Start({milliseconds(100), milliseconds(200), milliseconds(700)});
    TftpTestClient client(Port());
    client.Read("fw.bin");
    const auto first = client.Receive();
    ASSERT_TRUE(first);
    client.Ack(first->fromPort, 1);
    const auto second = client.Receive();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->number, 2);
    // A repeated ACK of block 1 must not bring block 2 again at once.
    client.Ack(first->fromPort, 1);
    const auto again = client.Receive(milliseconds(50));
    EXPECT_FALSE(again) << "a duplicate ACK was answered";
    // Silence: block 2 comes again at the end of each period until the transfer is given up.
    int repeats = 0;
    while (auto p = client.Receive(milliseconds(900))) {
        EXPECT_EQ(p->number, 2);
        ++repeats;
    }
    EXPECT_GE(repeats, 2);
    const auto record = log_.For("fw.bin");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->result, "timed out");
    EXPECT_EQ(record->bytes, 512u);
}

TEST_F(TftpServerTest, ClientErrorEndsTheTransfer) {
    Put("fw.bin", Pattern(5000));
    Start();
    TftpTestClient client(Port());
    client.Read("fw.bin");
    const auto first = client.Receive();
    ASSERT_TRUE(first);
    auto error = MakeTftpError(TftpError::kNotDefined, "disk full");
    client.SendTo(first->fromPort, error);
    const auto record = log_.For("fw.bin");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->result, "client error 0: disk full");
    EXPECT_FALSE(client.Receive(milliseconds(300)));
}

TEST_F(TftpServerTest, BlockNumbersWrapPastBlock65535) {
    // 33 MiB and a bit: 67,585 blocks of 512 bytes. The file is sparse; marks at the blocks
    // around the wrap show that each block carries the right bytes.
    const auto file = Www() / "big.bin";
    const std::uint64_t size = (33ull << 20) + 123;
    {
        platform::UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        ASSERT_EQ(::ftruncate(fd.Get(), static_cast<off_t>(size)), 0);
        for (std::uint64_t block : {65535ull, 65536ull, 65537ull, 67585ull}) {
            const std::string mark = "block " + std::to_string(block);
            ASSERT_EQ(::pwrite(fd.Get(), mark.data(), mark.size(), static_cast<off_t>((block - 1) * 512)),
                      static_cast<ssize_t>(mark.size()));
        }
    }
    Start();
    TftpTestClient client(Port());
    client.Read("big.bin", {{"windowsize", "16"}});
    const auto oack = client.Receive();
    ASSERT_TRUE(oack);
    client.Ack(oack->fromPort, 0);
    std::uint64_t block = 1, received = 0;
    std::vector<std::uint16_t> numbersAroundWrap;
    while (auto data = client.Receive()) {
        ASSERT_EQ(data->number, static_cast<std::uint16_t>(block & 0xFFFF));
        if (block >= 65535 && block <= 65537) {
            numbersAroundWrap.push_back(data->number);
            const std::string mark = "block " + std::to_string(block);
            EXPECT_EQ(
                std::string(data->payload.begin(), data->payload.begin() + static_cast<std::ptrdiff_t>(mark.size())),
                mark);
        }
        received += data->payload.size();
        const bool last = data->payload.size() < 512;
        if (block % 16 == 0 || last)
            client.Ack(oack->fromPort, data->number);
        if (last)
            break;
        ++block;
    }
    EXPECT_EQ(numbersAroundWrap, (std::vector<std::uint16_t>{65535, 0, 1}));
    EXPECT_EQ(block, 67585u);
    EXPECT_EQ(received, size);
    const auto record = log_.For("big.bin");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->result, "ok");
    EXPECT_EQ(record->bytes, size);
}

TEST_F(TftpServerTest, RefusesWritesEscapesAndMissingFilesWithAnErrorPacket) {
    Put("fw.bin", "x");
    Start();
    struct Case {
        std::vector<std::uint8_t> request;
        TftpError code;
    };
    const std::vector<Case> cases = {
        {TftpTestClient::Request(TftpOpcode::kWriteRequest, "fw.bin"), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, ".."), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "../secret.txt"), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "/etc/passwd"), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "..\\secret.txt"), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "sub/inner.bin"), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "sub"), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "link.bin"), TftpError::kAccessViolation},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "missing.bin"), TftpError::kFileNotFound},
        {TftpTestClient::Request(TftpOpcode::kReadRequest, "fw.bin", "netascii"), TftpError::kIllegalOperation},
        {{0, 1, 'f', 'w'}, TftpError::kIllegalOperation},
    };
    for (const auto& c : cases) {
        TftpTestClient client(Port());
        client.SendTo(Port(), c.request);
        const auto answer = client.Receive();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->opcode, TftpOpcode::kError);
        EXPECT_EQ(answer->number, static_cast<std::uint16_t>(c.code))
            << std::string(c.request.begin() + 2, c.request.end());
    }
    ASSERT_TRUE(log_.For(""));  // the last one, unparsable; each is logged after its answer
    const auto records = log_.Records();
    EXPECT_EQ(records.size(), cases.size());
    for (const auto& r : records)
        EXPECT_TRUE(r.result.starts_with("refused: ")) << r.result;
}

TEST_F(TftpServerTest, ServesTenDeviceFetchesAtOnceInLockStepAndByWindows) {
    const std::string image = Pattern(300000, 5);
    Put("fw.bin", image);
    Start();
    const auto hash = sim::Fnv1a(sim::kFnvOffset, reinterpret_cast<const std::uint8_t*>(image.data()), image.size());
    sim::FetchLimits windowed;
    windowed.blockSize = 1468;
    windowed.windowSize = 8;
    for (const auto& limits : {sim::FetchLimits{}, windowed}) {
        std::vector<sim::FetchResult> results(10);
        std::vector<std::thread> fetchers;
        for (std::size_t i = 0; i < results.size(); ++i)
            fetchers.emplace_back([&, i] {
                results[i] = sim::TftpFetch(0x7F000001, {0x7F000001, Port()}, "fw.bin", limits);
            });
        for (auto& t : fetchers)
            t.join();
        for (const auto& r : results) {
            EXPECT_TRUE(r.ok) << r.error;
            EXPECT_EQ(r.bytes, image.size());
            EXPECT_EQ(r.fnv1a, hash);
        }
    }
}

}  // namespace
}  // namespace cpe::service::test
