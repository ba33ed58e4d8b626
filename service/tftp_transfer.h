// One read transfer of the TFTP server, on its own UDP socket connected to the client: sends the
// option acknowledgement or the first window, follows the client's acknowledgements (one block at
// a time, or a window of blocks as RFC 7440 describes), resends the unacknowledged part when the
// client stays silent and gives up after a number of silent periods. Block numbers are 16 bits
// on the wire and wrap from 65535 to 0, so files of any size can be sent.
//
// The file is read a large chunk at a time into a cache and a whole window goes out with one
// sendmmsg call whose buffers point into that cache.
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
    std::chrono::milliseconds period{1000};  // used unless the client negotiated a timeout
    int attempts = 5;                        // silent periods tolerated before giving up
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
    std::size_t BlockLength(std::int64_t block) const;
    void Finish(std::string result);

    platform::UniqueFd socket_;
    ServedFile file_;
    TftpSettings settings_;
    TransferRecord record_;
    std::chrono::milliseconds period_;
    int attempts_;

    std::int64_t lastBlock_;       // the final block, the short (possibly empty) one
    std::int64_t acked_ = 0;       // highest block the client acknowledged; -1 while the OACK is due
    std::int64_t windowEnd_ = 0;   // last block of the window in flight (0 is the OACK)
    std::int64_t sendCursor_ = 1;  // next block of the window still to go out
    bool resentOnDuplicate_ = false;
    int silentPeriods_ = 0;
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
