// The read-only TFTP server of the upgrade helper. One thread reads requests; it refuses what it
// must with an ERROR packet and hands every accepted transfer, on a socket of its own as
// RFC 1350 asks, to the least busy of a fixed set of event loops. There are as many loops as an
// upgrade batch has devices, so the transfers of one batch never queue behind each other (in
// lock-step each block waits for the client, and one loop serving all would add its queueing to
// every round trip); further transfers share the loops. Every transfer is logged when it ends,
// from the loop's thread.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/unique_fd.h"
#include "service/served_folder.h"
#include "service/tftp_loop.h"

namespace cpe::service {

struct TftpServerOptions {
    std::string address = "0.0.0.0";  // the local address the devices reach
    std::uint16_t port = 69;
    RetransmitPolicy retransmit;
    TftpLimits limits;
    std::size_t maxTransfers = 128;
    unsigned loops = 10;  // event loops, each on a thread of its own
};

class TftpServer {
public:
    TftpServer(ServedFolder folder, TftpServerOptions options, TransferLog log);
    ~TftpServer();
    TftpServer(const TftpServer&) = delete;
    TftpServer& operator=(const TftpServer&) = delete;

    // Binds the listening socket; empty on success, else why not.
    std::string Listen();
    std::uint16_t Port() const { return port_; }
    // Serves until RequestStop; the transfers still running are dropped then. Joins its threads.
    void Run();
    // Safe from any thread and from a signal handler.
    void RequestStop() noexcept;

private:
    void OnRequests(SteadyClock::time_point now);
    void OnRequest(const std::uint8_t* data, std::size_t size, const sockaddr_in& peer);
    void Refuse(const sockaddr_in& peer, const std::string& file, TftpError code, const std::string& why);

    ServedFolder folder_;
    TftpServerOptions options_;
    TransferLog log_;
    platform::UniqueFd stop_;
    platform::UniqueFd listener_;
    std::uint16_t port_ = 0;
    ActivePeers peers_;
    std::vector<std::unique_ptr<TftpLoop>> loops_;
};

}  // namespace cpe::service
