// The read-only TFTP server of the upgrade helper: one thread, one epoll loop for the listening
// socket and every transfer, each transfer on its own socket as RFC 1350 asks (the client tells
// transfers apart by our port). Refused requests get an ERROR packet and a log line.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/unique_fd.h"
#include "service/served_folder.h"
#include "service/tftp_transfer.h"

namespace cpe::service {

struct TftpServerOptions {
    std::string address = "0.0.0.0";   // the local address the devices reach
    std::uint16_t port = 69;
    RetransmitPolicy retransmit;
    TftpLimits limits;
    std::size_t maxTransfers = 128;
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
    // Serves until RequestStop; every transfer still running is dropped then.
    void Run();
    // Safe from any thread and from a signal handler.
    void RequestStop() noexcept;

private:
    void OnRequests(SteadyClock::time_point now);
    void OnRequest(const std::uint8_t* data, std::size_t size, const sockaddr_in& peer,
                   SteadyClock::time_point now);
    void Refuse(const sockaddr_in& peer, const std::string& file, TftpError code, const std::string& why);
    struct Entry {
        std::unique_ptr<TftpTransfer> transfer;
        std::uint64_t peer = 0;       // address and port of the client
        bool watchingWritable = false;
    };
    void Update(Entry& entry);

    ServedFolder folder_;
    TftpServerOptions options_;
    TransferLog log_;
    platform::UniqueFd epoll_;
    platform::UniqueFd stop_;
    platform::UniqueFd listener_;
    std::uint16_t port_ = 0;
    std::map<int, Entry> transfers_;  // by socket
};

}  // namespace cpe::service
