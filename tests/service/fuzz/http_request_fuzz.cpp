// libFuzzer entry: any bytes as what a client sends to the HTTP helper on loopback, through the
// request parser, the range rules and the folder lookup; and any text as a Range header.
//
// The served folder holds a firmware file, a subfolder and a link to a file outside it whose
// content carries a marker. Properties: every answer is an HTTP/1.1 status line; the marker never
// leaves the server; a range is either the whole file, none, or first <= last < size.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <variant>

#include "platform/unique_fd.h"
#include "service/byte_range.h"
#include "service/http_file_server.h"

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

    // Sends the bytes on a new connection, ends the sending side and reads the answer.
    std::string Exchange(std::string_view request) const {
        cpe::platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(server_->Port());
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
            return {};
        for (std::size_t sent = 0; sent < request.size();) {
            const ssize_t n = ::send(fd.Get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        ::shutdown(fd.Get(), SHUT_WR);
        std::string answer;
        char chunk[8192];
        pollfd p{fd.Get(), POLLIN, 0};
        while (::poll(&p, 1, 2000) > 0) {
            const ssize_t n = ::recv(fd.Get(), chunk, sizeof chunk, 0);
            if (n <= 0)
                break;
            answer.append(chunk, static_cast<std::size_t>(n));
        }
        return answer;
    }

private:
    std::filesystem::path root_;
    std::unique_ptr<HttpFileServer> server_;
    std::thread thread_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Server server;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string answer = server.Exchange(bytes);
    Check(answer.empty() || answer.starts_with("HTTP/1.1 "));
    Check(answer.find(kSecret) == std::string::npos);

    for (const std::uint64_t fileSize : {0ULL, 1ULL, 5000ULL, ~0ULL}) {
        const ByteRange range = ResolveRange(bytes, fileSize);
        if (range.kind == ByteRange::Kind::kPart)
            Check(range.first <= range.last && range.last < fileSize);
    }
    return 0;
}
