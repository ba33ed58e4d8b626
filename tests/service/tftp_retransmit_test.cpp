// One transfer driven on a clock of the test's own: when it resends, how the silent period
// grows, when it gives a silent client up, and that a repeated ACK in lock-step is never answered.
#include <sys/socket.h>

#include "service/tftp_transfer.h"
#include "tests/service/served_server_fixture.h"

namespace cpe::service::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class TftpRetransmitTest : public ServedFolderTest {
protected:
    // A transfer of `size` bytes to a client at the other end of a socket pair.
    void Make(std::size_t size, TftpSettings settings = {}) {
        Put("fw.bin", Pattern(size));
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends), 0);
        client_.Reset(ends[1]);
        transfer_ = std::make_unique<TftpTransfer>(
            platform::UniqueFd(ends[0]), std::get<ServedFile>(Folder().OpenFile("fw.bin")), std::move(settings),
            TransferRecord{"device", "fw.bin", 0, {}}, RetransmitPolicy{});
    }
    // The client acknowledges `block`; the transfer reads it at `now`.
    void Ack(std::uint16_t block, SteadyClock::time_point now) {
        std::uint8_t ack[kTftpHeaderSize];
        WriteTftpHeader(ack, TftpOpcode::kAck, block);
        ASSERT_EQ(::send(client_.Get(), ack, sizeof ack, 0), static_cast<ssize_t>(sizeof ack));
        transfer_->OnReadable(now);
    }
    // The block numbers that have reached the client since the last look.
    std::vector<std::uint16_t> Arrived() {
        std::vector<std::uint16_t> out;
        std::uint8_t buffer[1024];
        for (ssize_t n; (n = ::recv(client_.Get(), buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
            out.push_back(ParseTftpHeader({buffer, static_cast<std::size_t>(n)})->second);
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
    platform::UniqueFd client_;
    std::unique_ptr<TftpTransfer> transfer_;
};

TEST_F(TftpRetransmitTest, SilenceDoublesThePeriodUpToItsCapAndGivesTheClientAMinute) {
    Make(5000);
    transfer_->Begin(t0_);
    transfer_->OnDeadline(t0_ + milliseconds(999));
    EXPECT_EQ(Arrived(), (std::vector<std::uint16_t>{1})) << "resent before its period was over";
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
}

}  // namespace
}  // namespace cpe::service::test
