#include "service/http_file_server.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <httplib.h>
#include <variant>
#include <vector>

#include "platform/http_listen.h"
#include "service/byte_range.h"

namespace cpe::service {

struct HttpFileServer::Shared {
    ServedFolder folder;
    TransferLog log;
};

namespace {

constexpr std::size_t kChunk = 256 * 1024;

std::string PeerText(const httplib::Request& req) { return req.remote_addr + ":" + std::to_string(req.remote_port); }

void Refuse(httplib::Response& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(text + "\n", "text/plain");
}

// The open file, the bytes sent from it and the log line written when httplib lets go of it.
class Delivery {
public:
    Delivery(ServedFile file, TransferRecord record, TransferLog log)
        : file_(std::move(file)), record_(std::move(record)), log_(std::move(log)) {}
    ~Delivery() { log_(record_); }
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

    bool Send(std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        buffer_.resize(std::min(length, kChunk));
        const ssize_t n = ::pread(file_.fd.Get(), buffer_.data(), buffer_.size(), static_cast<off_t>(offset));
        if (n <= 0) {
            record_.result =
                n == 0 ? "file changed while being sent" : std::string("read failed: ") + std::strerror(errno);
            return false;
        }
        if (!sink.write(buffer_.data(), static_cast<std::size_t>(n)))
            return false;
        record_.bytes += static_cast<std::uint64_t>(n);
        return true;
    }
    void Done(bool success) {
        if (record_.result.empty())
            record_.result = success ? "ok" : "connection closed early";
    }

private:
    ServedFile file_;
    TransferRecord record_;
    TransferLog log_;
    std::vector<char> buffer_;
};

void Serve(const ServedFolder& folder, const TransferLog& log, const httplib::Request& req, httplib::Response& res) {
    TransferRecord record{PeerText(req), req.path, 0, {}};
    auto refuse = [&](int status, const std::string& why) {
        Refuse(res, status, why);
        record.result = "refused: " + why;
        log(record);
    };
    if (req.method != "GET" && req.method != "HEAD") {
        res.set_header("Allow", "GET, HEAD");
        return refuse(405, "only GET and HEAD are served");
    }
    // httplib has decoded the path: "%2F" is a separator here and is refused like one.
    if (req.path.empty() || req.path.front() != '/')
        return refuse(400, "bad path");
    record.file = req.path.substr(1);
    auto opened = folder.OpenFile(record.file);
    if (auto* failure = std::get_if<OpenFailure>(&opened)) {
        const int status = failure->kind == Refusal::kNotFound ? 404 : failure->kind == Refusal::kForbidden ? 403 : 500;
        return refuse(status, failure->reason);
    }
    ServedFile file = std::move(std::get<ServedFile>(opened));
    const std::uint64_t size = file.size;

    // httplib applies req.ranges to the content on its own but does not keep them inside the
    // content, so they are replaced here by the one range we answer (or none).
    auto& ranges = const_cast<httplib::Ranges&>(req.ranges);
    ranges.clear();
    const ByteRange range = ResolveRange(req.get_header_value("Range"), size);
    if (range.kind == ByteRange::Kind::kUnsatisfiable) {
        res.set_header("Content-Range", "bytes */" + std::to_string(size));
        return refuse(416, "range not satisfiable");
    }
    if (range.kind == ByteRange::Kind::kPart)
        ranges.emplace_back(static_cast<ssize_t>(range.first), static_cast<ssize_t>(range.last));
    res.status = range.kind == ByteRange::Kind::kPart ? 206 : 200;
    res.set_header("Accept-Ranges", "bytes");
    if (req.method == "HEAD") {
        record.result = "ok (HEAD)";
        log(record);
        res.set_content_provider(static_cast<std::size_t>(size), "application/octet-stream",
                                 [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
        return;
    }
    auto delivery = std::make_shared<Delivery>(std::move(file), std::move(record), log);
    res.set_content_provider(
        static_cast<std::size_t>(size), "application/octet-stream",
        [delivery](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return delivery->Send(offset, length, sink);
        },
        [delivery](bool success) { delivery->Done(success); });
}

}  // namespace

HttpFileServer::HttpFileServer(ServedFolder folder, HttpServerOptions options, TransferLog log)
    : shared_(std::make_shared<Shared>(Shared{std::move(folder), std::move(log)})),
      server_(std::make_unique<httplib::Server>()),
      options_(std::move(options)) {
    const int threads = options_.threads;
    // httplib takes ownership of the queue it is handed.
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
    server_->set_write_timeout(options_.stallLimit);
    platform::ReuseAddressOnly(*server_);
    server_->set_pre_routing_handler([shared = shared_](const httplib::Request& req, httplib::Response& res) {
        Serve(shared->folder, shared->log, req, res);
        return httplib::Server::HandlerResponse::Handled;
    });
}

HttpFileServer::~HttpFileServer() = default;

std::string HttpFileServer::Listen() {
    return platform::BindHttpServer(*server_, options_.address, options_.port, port_);
}

void HttpFileServer::Run() { server_->listen_after_bind(); }

void HttpFileServer::RequestStop() { server_->stop(); }

}  // namespace cpe::service
