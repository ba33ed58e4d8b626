// The exporter's HTTP server (cpp-httplib): GET and HEAD of /metrics, a short page at /, 404 for
// any other path, 405 for any other method, 413 for a request with a body, 431 for one with too
// many header fields. A client that stays
// silent for the read timeout is let go, and each connection has its own thread from a pool
// larger than a scraper needs, so a few slow clients never hold up a scrape.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cli/exporter/exposition.h"

namespace httplib {
class Server;
}

namespace cpe::cli {

// The exporter's default port: beside the protocol's four (9785-9788), not one of them.
inline constexpr std::uint16_t kExporterPort = 9789;

struct MetricsServerOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = kExporterPort;  // 0: the system chooses (tests)
    int threads = 8;
    std::chrono::seconds readTimeout{2};
    std::chrono::seconds writeTimeout{5};
};

// The page a scrape gets, in the format asked for. Called on the server's threads.
using MetricsRenderer = std::function<std::string(ExpositionFormat)>;

class MetricsServer {
public:
    MetricsServer(MetricsServerOptions options, MetricsRenderer render);
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Binds the listening socket; empty on success, else why not.
    std::string Listen();
    std::uint16_t Port() const { return port_; }
    // Serves until RequestStop.
    void Run();
    void RequestStop();

private:
    std::unique_ptr<httplib::Server> server_;
    MetricsServerOptions options_;
    std::uint16_t port_ = 0;
};

}  // namespace cpe::cli
