// The HTTP file server of the upgrade helper (cpp-httplib): GET and HEAD of the regular files
// directly inside one folder, with single byte ranges (RFC 7233). Every other method is refused,
// and so is every name ServedFolder refuses. One log line per request.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "service/served_folder.h"
#include "service/transfer_log.h"

namespace httplib {
class Server;
}

namespace cpe::service {

struct HttpServerOptions {
    std::string address = "0.0.0.0";
    std::uint16_t port = 80;
    // Connections served at once: a client that stalls holds one of them, so a batch of devices
    // still finds enough while several stall.
    int threads = 32;
    // A device on a lossy link may take no data for seconds and then go on, as long as the TFTP
    // helper waits for a silent client; one that takes nothing for longer is dropped.
    std::chrono::milliseconds stallLimit{60000};
};

class HttpFileServer {
public:
    HttpFileServer(ServedFolder folder, HttpServerOptions options, TransferLog log);
    ~HttpFileServer();
    HttpFileServer(const HttpFileServer&) = delete;
    HttpFileServer& operator=(const HttpFileServer&) = delete;

    // Binds the listening socket; empty on success, else why not.
    std::string Listen();
    std::uint16_t Port() const { return port_; }
    // Serves until RequestStop.
    void Run();
    void RequestStop();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<httplib::Server> server_;
    HttpServerOptions options_;
    std::uint16_t port_ = 0;
};

}  // namespace cpe::service
