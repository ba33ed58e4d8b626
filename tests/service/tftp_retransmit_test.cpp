// One transfer driven on a clock of the test's own: when it resends, how the silent period
// grows, when it gives a silent client up, and that a repeated ACK is answered only where a window
// makes it a report of a lost block.
#include <arpa/inet.h>
#include <poll.h>

#include "service/tftp_transfer.h"
#include "tests/service/served_server_fixture.h"
#include "tests/service/tftp_test_client.h"

namespace cpe::service::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class TftpRetransmitTest : public ServedFolderTest {
protected:
    // A transfer of `size` bytes whose socket is connected to `client_`.
    void Make(std::size_t size, TftpSettings settings = {}) {
        Put("fw.bin", Pattern(size));
        platform::UniqueFd sock(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        sockaddr_in self = TftpTestClient::Address("127.0.0.1", 0);
        const sockaddr_in peer = TftpTestClient::Address("127.0.0.1", client_.LocalPort());
        ASSERT_EQ(::bind(sock.Get(), reinterpret_cast<const sockaddr*>(&self), sizeof self), 0);
        ASSERT_EQ(::connect(sock.Get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer), 0);
        socklen_t len = sizeof self;
        ::getsockname(sock.Get(), reinterpret_cast<sockaddr*>(&self), &len);
        port_ = ntohs(self.sin_port);
        transfer_ = std::make_unique<TftpTransfer>(std::move(sock), std::get<ServedFile>(Folder().OpenFile("fw.bin")),
                                                   std::move(settings), TransferRecord{"device", "fw.bin", 0, {}},
                                                   RetransmitPolicy{});
    }
    // The client acknowledges `block`; the transfer reads it at `now`.
    void Ack(std::uint16_t block, SteadyClock::time_point now) {
        client_.Ack(port_, block);
        pollfd p{transfer_->Socket(), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 2000), 1);
        transfer_->OnReadable(now);
    }
    // The block numbers that reach the client until it has been quiet for a moment.
    std::vector<std::uint16_t> Arrived() {
        std::vector<std::uint16_t> out;
        while (const auto p = client_.Receive(milliseconds(100)))
            out.push_back(p->number);
        return out;
    }
    // Lets every deadline pass until the transfer ends: the seconds after `start` at which it
    // resent, and when it gave up.
    std::vector<long> ResendsUntilGivenUp(SteadyClock::time_point start, long& gaveUpAt) {
        std::vector<long> at;
        while (!transfer_->Finished()) {
            const auto deadline = transfer_->Deadline();
            transfer_->OnDeadline(deadline);
            const long second = std::chrono::duration_cast<seconds>(deadline - start).count();
            if (transfer_->Finished())
                gaveUpAt = second;
            else
                at.push_back(second);
        }
        return at;
    }

    const SteadyClock::time_point t0_ = SteadyClock::time_point{} + std::chrono::hours(1000);
    TftpTestClient client_{0};
    std::uint16_t port_ = 0;
    std::unique_ptr<TftpTransfer> transfer_;
};

TEST_F(TftpRetransmitTest, SilenceDoublesThePeriodUpToItsCapAndGivesTheClientAMinute) {
    Make(5000);
    transfer_->Begin(t0_);
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{1}));
    transfer_->OnDeadline(t0_ + milliseconds(999));
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{})) << "resent before its period was over";

    long gaveUpAt = 0;
    EXPECT_EQ(ResendsUntilGivenUp(t0_, gaveUpAt), (std::vector<long>{1, 3, 7, 15, 23, 31, 39, 47, 55}));
    EXPECT_EQ(gaveUpAt, 60);
    EXPECT_EQ(Arrived(), std::vector<std::uint16_t>(9, 1));
    EXPECT_EQ(transfer_->Record().result, "timed out");
    EXPECT_EQ(transfer_->Record().bytes, 0u);

    // A period the client negotiated is where doubling starts, and never less than the cap.
    TftpSettings slow;
    slow.timeout = seconds(20);
    Make(5000, slow);
    transfer_->Begin(t0_);
    EXPECT_EQ(ResendsUntilGivenUp(t0_, gaveUpAt), (std::vector<long>{20, 40}));
    EXPECT_EQ(gaveUpAt, 60);

    // Silence after the final block: the client may have it all and lost only its last ACK.
    Make(100);
    transfer_->Begin(t0_);
    ResendsUntilGivenUp(t0_, gaveUpAt);
    EXPECT_EQ(transfer_->Record().result, "timed out; the final block was sent");
}

TEST_F(TftpRetransmitTest, ProgressRestartsTheScheduleAndARepeatedAckInLockStepIsNeverAnswered) {
    Make(5000);
    transfer_->Begin(t0_);
    transfer_->OnDeadline(t0_ + seconds(1));
    transfer_->OnDeadline(t0_ + seconds(3));
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{1, 1, 1}));

    Ack(1, t0_ + seconds(5));
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{2}));
    EXPECT_EQ(transfer_->Deadline(), t0_ + seconds(6)) << "the period starts over after progress";
    // The client repeats its ACK (its block 2 was lost, or it is impatient): answering would
    // double every block from here on.
    Ack(1, t0_ + seconds(5) + milliseconds(500));
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{}));
    EXPECT_EQ(transfer_->Deadline(), t0_ + seconds(6));

    // The client vanishes: a minute after its last progress the transfer ends, saying how far it got.
    long gaveUpAt = 0;
    ResendsUntilGivenUp(t0_, gaveUpAt);
    EXPECT_EQ(gaveUpAt, 65);
    EXPECT_EQ(transfer_->Record().result, "timed out");
    EXPECT_EQ(transfer_->Record().bytes, 512u);
    EXPECT_EQ(FormatTransfer("cpe-tftpd", transfer_->Record()), "cpe-tftpd: device \"fw.bin\" 512 bytes: timed out");
}

TEST_F(TftpRetransmitTest, AWindowResendsFromTheFirstUnacknowledgedBlockOncePerReport) {
    TftpSettings windowed;
    windowed.windowSize = 4;
    Make(10 * 512, windowed);
    transfer_->Begin(t0_);
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{1, 2, 3, 4}));
    Ack(2, t0_ + milliseconds(10));  // block 3 was lost
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{3, 4, 5, 6}));
    // Block 3 lost again: the client says once more where it stands, which is answered once.
    Ack(2, t0_ + milliseconds(20));
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{3, 4, 5, 6}));
    Ack(2, t0_ + milliseconds(30));
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{}));
    transfer_->OnDeadline(transfer_->Deadline());
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{3, 4, 5, 6}));
}

}  // namespace
}  // namespace cpe::service::test
