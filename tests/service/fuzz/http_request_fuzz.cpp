// libFuzzer entry: any bytes as what a client sends to the HTTP helper on loopback, through the
// request parser, the range rules and the folder lookup; any text as a Range header; and the same
// bytes to the exporter's metrics server.
//
// The served folder holds a firmware file, a subfolder and a link to a file outside it whose
// content carries a marker. Properties: every answer is an HTTP/1.1 status line; the marker never
// leaves the server; a range is either the whole file, none, or first <= last < size. The exporter
// answers every request with an HTTP/1.1 status line too, and a metrics page only with 200.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <variant>

#include "cli/exporter/metrics_server.h"
#include "service/byte_range.h"
#include "service/http_file_server.h"
#include "tests/support/raw_http.h"

namespace {

using namespace cpe::service;

constexpr std::string_view kSecret = "SECRET-OUTSIDE-THE-FOLDER";

void Check(bool holds) {
    if (!holds)
        std::abort();
}

class Server {
public:
    Server() {
        std::string pattern = (std::filesystem::temp_directory_path() / "cpe-http-fuzz-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        std::filesystem::create_directories(root_ / "www" / "sub");
        std::ofstream(root_ / "www" / "fw.bin") << std::string(5000, 'f');
        std::ofstream(root_ / "www" / "sub" / "inner.bin") << kSecret;
        std::ofstream(root_ / "outside.txt") << kSecret;
        std::filesystem::create_symlink(root_ / "outside.txt", root_ / "www" / "link.bin");
        auto folder = ServedFolder::Open(root_ / "www");
        server_ = std::make_unique<HttpFileServer>(std::move(std::get<ServedFolder>(folder)),
                                                   HttpServerOptions{"127.0.0.1", 0, 4}, [](const TransferRecord&) {});
        Check(server_->Listen().empty());
        thread_ = std::thread([this] { server_->Run(); });
    }
    ~Server() {
        server_->RequestStop();
        thread_.join();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    std::string Exchange(std::string_view request) const {
        return cpe::test::RawHttpExchange(server_->Port(), request);
    }

private:
    std::filesystem::path root_;
    std::unique_ptr<HttpFileServer> server_;
    std::thread thread_;
};

// The exporter's server over a page that names the format it was asked for.
class Exporter {
public:
    Exporter()
        : server_({"127.0.0.1", 0, 4},
                  [](cpe::cli::ExpositionFormat format) { return std::string(cpe::cli::ContentType(format)) + "\n"; }) {
        Check(server_.Listen().empty());
        thread_ = std::thread([this] { server_.Run(); });
    }
    ~Exporter() {
        server_.RequestStop();
        thread_.join();
    }

    std::string Exchange(std::string_view request) const {
        return cpe::test::RawHttpExchange(server_.Port(), request, std::chrono::milliseconds(300), false);
    }

private:
    cpe::cli::MetricsServer server_;
    std::thread thread_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Server server;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string answer = server.Exchange(bytes);
    Check(answer.empty() || answer.starts_with("HTTP/1.1 "));
    Check(answer.find(kSecret) == std::string::npos);

    static const Exporter exporter;
    const std::string metrics = exporter.Exchange(bytes);
    Check(metrics.empty() || metrics.starts_with("HTTP/1.1 "));
    if (metrics.find("version=") != std::string::npos)
        Check(metrics.starts_with("HTTP/1.1 200 "));

    for (const std::uint64_t fileSize : {0ULL, 1ULL, 5000ULL, ~0ULL}) {
        const ByteRange range = ResolveRange(bytes, fileSize);
        if (range.kind == ByteRange::Kind::kPart)
            Check(range.first <= range.last && range.last < fileSize);
    }
    return 0;
}
