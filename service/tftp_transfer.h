// One read transfer of the TFTP server, on its own UDP socket connected to the client: sends the
// option acknowledgement or the first window, follows the client's acknowledgements (one block at
// a time, or a window of blocks as RFC 7440 describes), resends the unacknowledged part when the
// client stays silent and gives up when the client has been silent too long. Block numbers are
// 16 bits on the wire and wrap from 65535 to 0, so files of any size can be sent.
//
// Outdoor links lose packets, and some clients wait seconds before they repeat an ACK: the
// period between resends doubles with each silent one, and the transfer is held for a minute of
// silence, so a client on a lossy link is still answered when it finally asks again. The period
// must outgrow 5 s: atftp answers a repeated block once, and re-sends a lost ACK only when 5 s
// pass without any packet, so resends closer together than that would starve it.
//
// The file is read a large chunk at a time into a cache and a whole window goes out with one
// sendmmsg call whose buffers point into that cache. Until the client has acknowledged
// something, and again while it is silent, the cache holds one window only: a device that
// vanished costs no more than what its resends need.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "service/served_folder.h"
#include "service/tftp_options.h"
#include "service/transfer_log.h"

namespace cpe::service {

using SteadyClock = std::chrono::steady_clock;

struct RetransmitPolicy {
    std::chrono::milliseconds period{1000};     // the first silent period, unless the client negotiated one
    std::chrono::milliseconds maxPeriod{8000};  // doubling stops here (or at the negotiated period)
    std::chrono::milliseconds giveUp{60000};    // silence after which the client counts as gone
};

class TftpTransfer {
public:
    TftpTransfer(platform::UniqueFd socket, ServedFile file, TftpSettings settings, TransferRecord record,
                 RetransmitPolicy policy);
    TftpTransfer(const TftpTransfer&) = delete;
    TftpTransfer& operator=(const TftpTransfer&) = delete;

    void Begin(SteadyClock::time_point now);
    void OnReadable(SteadyClock::time_point now);
    void OnWritable(SteadyClock::time_point now);
    void OnDeadline(SteadyClock::time_point now);

    int Socket() const { return socket_.Get(); }
    SteadyClock::time_point Deadline() const { return deadline_; }
    bool WantsWritable() const { return wantsWritable_; }
    bool Finished() const { return finished_; }
    // Who, what, how many bytes the client acknowledged, and how it ended (once Finished).
    const TransferRecord& Record() const { return record_; }

private:
    void SendWindow(SteadyClock::time_point now);
    void Pump(SteadyClock::time_point now);
    void OnAck(std::uint16_t number, SteadyClock::time_point now);
    bool LoadBlocks(std::int64_t first, std::int64_t last);
    // The large cache while the client makes progress, one window's worth otherwise.
    void SizeCache(bool large);
    std::size_t BlockLength(std::int64_t block) const;
    // Why a client stopped answering, saying so when it may have had the whole file.
    std::string Unconfirmed(std::string why) const;
    void Finish(std::string result);

    platform::UniqueFd socket_;
    ServedFile file_;
    TftpSettings settings_;
    TransferRecord record_;
    std::chrono::milliseconds firstPeriod_;
    std::chrono::milliseconds maxPeriod_;
    std::chrono::milliseconds giveUp_;
    std::chrono::milliseconds period_;   // the silent period now running
    SteadyClock::time_point heardAt_{};  // the client's last progress (or the transfer's start)

    std::int64_t lastBlock_;       // the final block, the short (possibly empty) one
    std::int64_t acked_ = 0;       // highest block the client acknowledged; -1 while the OACK is due
    std::int64_t windowEnd_ = 0;   // last block of the window in flight (0 is the OACK)
    std::int64_t sendCursor_ = 1;  // next block of the window still to go out
    bool resentOnDuplicate_ = false;
    bool wantsWritable_ = false;
    bool finished_ = false;
    SteadyClock::time_point deadline_{};

    std::vector<std::uint8_t> cache_;  // file bytes from cacheOffset_
    std::uint64_t cacheOffset_ = 0;
    std::size_t cacheBytes_ = 0;
    std::vector<std::uint8_t> oack_;
    std::vector<std::uint8_t> headers_;  // one 4-byte DATA header per block of a window
    std::vector<iovec> iov_;
    std::vector<mmsghdr> messages_;
};

}  // namespace cpe::service
