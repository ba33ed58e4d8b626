// cpe-httpd: the HTTP file server the devices of model set B fetch firmware from. Reads the
// folder from its ini file ([SERVER] Directory) and serves it on every local address until it is
// stopped or its parent ends.
#include "platform/ini_file.h"
#include "protocol/file_transfer.h"
#include "service/helper_runtime.h"
#include "service/http_file_server.h"

namespace {

constexpr const char* kProgram = "cpe-httpd";
constexpr std::size_t kIniValueChars = 4096;

int Serve(cpe::service::HelperArgs& args) {
    using namespace cpe;
    const std::string folder = platform::GetPrivateProfileString("SERVER", "Directory", "", kIniValueChars, args.ini);
    if (folder.empty()) {
        service::ReportFailure(args.readyFd, kProgram, "Directory must be set in [SERVER] of " + args.ini.string());
        return 2;
    }
    auto served = service::OpenServedFolder(args, kProgram, folder);
    if (!served)
        return 2;
    service::HttpServerOptions options;
    options.port = args.port.value_or(kHttpServerPort);
    service::HttpFileServer server(std::move(*served), options, service::StderrTransferLog(kProgram));
    return service::ListenAndServe(server, args, kProgram, folder, options.address);
}

}  // namespace

int main(int argc, char** argv) { return cpe::service::HelperMain(argc, argv, kProgram, Serve); }
