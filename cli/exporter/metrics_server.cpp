#include "cli/exporter/metrics_server.h"

#include <httplib.h>

#include "platform/http_listen.h"

namespace cpe::cli {
namespace {

// A scrape request has no body; anything beyond this is refused before it is read.
constexpr std::size_t kMaxBody = 4096;
// The library bounds each header line but not their number.
constexpr std::size_t kMaxHeaders = 100;
// Prometheus keeps its connection between close scrapes; an idle connection holds a thread, so
// it is not kept long.
constexpr std::size_t kKeepAliveRequests = 1000;
constexpr time_t kKeepAliveSeconds = 5;

constexpr const char* kIndexPage =
    "<html><head><title>cpe-manager exporter</title></head>"
    "<body><h1>cpe-manager exporter</h1><p><a href=\"/metrics\">Metrics</a></p></body></html>\n";

void Answer(httplib::Response& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(text + "\n", "text/plain; charset=utf-8");
}

void Serve(const MetricsRenderer& render, const httplib::Request& req, httplib::Response& res) {
    if (req.method != "GET" && req.method != "HEAD") {
        res.set_header("Allow", "GET, HEAD");
        return Answer(res, 405, "only GET and HEAD are served");
    }
    if (!req.body.empty())
        return Answer(res, 413, "a scrape has no body");
    if (req.headers.size() > kMaxHeaders)
        return Answer(res, 431, "too many header fields");
    if (req.path == "/") {
        res.status = 200;
        res.set_content(kIndexPage, "text/html; charset=utf-8");
        return;
    }
    if (req.path != "/metrics")
        return Answer(res, 404, "not found; the metrics are at /metrics");
    const ExpositionFormat format = NegotiateFormat(req.get_header_value("Accept"));
    res.status = 200;
    res.set_content(render(format), std::string(ContentType(format)));
}

}  // namespace

MetricsServer::MetricsServer(MetricsServerOptions options, MetricsRenderer render)
    : server_(std::make_unique<httplib::Server>()), options_(std::move(options)) {
    const auto threads = static_cast<std::size_t>(std::max(1, options_.threads));
    // httplib takes ownership of the queue it is handed.
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    platform::ReuseAddressOnly(*server_);
    server_->set_read_timeout(options_.readTimeout);
    server_->set_write_timeout(options_.writeTimeout);
    server_->set_keep_alive_max_count(kKeepAliveRequests);
    server_->set_keep_alive_timeout(kKeepAliveSeconds);
    server_->set_payload_max_length(kMaxBody);
    server_->set_pre_routing_handler([render = std::move(render)](const httplib::Request& req, httplib::Response& res) {
        Serve(render, req, res);
        return httplib::Server::HandlerResponse::Handled;
    });
}

MetricsServer::~MetricsServer() = default;

std::string MetricsServer::Listen() {
    return platform::BindHttpServer(*server_, options_.address, options_.port, port_);
}

void MetricsServer::Run() { server_->listen_after_bind(); }

void MetricsServer::RequestStop() { server_->stop(); }

}  // namespace cpe::cli
