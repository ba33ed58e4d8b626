// The TFTP clients that devices and administrators really use (busybox, atftp, tftp-hpa, curl),
// run on the device side of the network lab against a server on the utility side, with the
// lab's random loss on both ends. Shared by the lossy-link lab test and the loss benchmark.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/unique_fd.h"

namespace cpe::service::test {

struct RealClient {
    std::string name;  // "busybox 512"
    std::string program;
    // The arguments that fetch `file` from `server`:`port` into `out`.
    std::vector<std::string> (*arguments)(const std::string& server, std::uint16_t port, const std::string& file,
                                          const std::string& out);
};

// busybox at 512 and 1468 bytes a block, atftp, the tftp-hpa client and curl.
const std::vector<RealClient>& RealTftpClients();

struct ClientFetch {
    const RealClient* client = nullptr;
    std::uint16_t port = 0;  // of the server on the lab's utility address
};

struct FetchOutcome {
    bool exact = false;  // the client ended well and its copy equals the file
    double seconds = 0;
    std::string detail;  // why not, with what the client printed
};

class LossLab {
public:
    // The lab this process runs in (tools/netlab.sh run), or nothing outside it.
    static std::optional<LossLab> FromEnvironment();

    const std::string& UtilAddress() const { return utilAddress_; }
    // Every veth of the lab drops `percent` of the packets it delivers, both ways.
    bool SetLoss(int percent) const;
    // cpe-tftpd from `helperDir` serving `folder` on the utility address at `port`, once it
    // reported that it listens; its log goes to `log`.
    std::optional<platform::ChildProcess> StartHelper(const std::filesystem::path& helperDir,
                                                      const std::filesystem::path& folder, std::uint16_t port,
                                                      const std::filesystem::path& log) const;
    // All fetches at once, each from the device side into a file of its own in `scratch`; every
    // copy is compared with `expected`. A fetch still running after `limit` is ended and failed.
    std::vector<FetchOutcome> FetchAll(const std::vector<ClientFetch>& fetches, const std::filesystem::path& expected,
                                       const std::filesystem::path& scratch, std::chrono::seconds limit) const;

private:
    std::string name_, script_, utilAddress_;
};

// A file of `size` random bytes at `path` (the same bytes for the same seed).
void WriteRandomFile(const std::filesystem::path& path, std::size_t size, unsigned seed);

}  // namespace cpe::service::test
