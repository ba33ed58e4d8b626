// cpe-tftpd: the read-only TFTP server the devices fetch firmware from. Reads the folder and the
// local address from its ini file ([TFTPD32] BaseDirectory, LocalIP) and serves until it is
// stopped or its parent ends.
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "platform/ini_file.h"
#include "protocol/file_transfer.h"
#include "service/helper_runtime.h"
#include "service/tftp_server.h"

namespace {

constexpr const char* kProgram = "cpe-tftpd";
constexpr std::size_t kIniValueChars = 4096;

int Serve(cpe::service::HelperArgs& args) {
    using namespace cpe;
    if (!service::TieToParent(args.parent)) {
        service::ReportFailure(args.readyFd, kProgram, "the utility that started this helper has ended");
        return 1;
    }
    const std::string folder =
        platform::GetPrivateProfileString("TFTPD32", "BaseDirectory", "", kIniValueChars, args.ini);
    const std::string address = platform::GetPrivateProfileString("TFTPD32", "LocalIP", "", kIniValueChars, args.ini);
    if (folder.empty() || address.empty()) {
        service::ReportFailure(args.readyFd, kProgram,
                               "BaseDirectory and LocalIP must be set in [TFTPD32] of " + args.ini.string());
        return 2;
    }
    auto served = service::ServedFolder::Open(folder);
    if (auto* why = std::get_if<std::string>(&served)) {
        service::ReportFailure(args.readyFd, kProgram, *why);
        return 2;
    }
    service::TftpServerOptions options;
    options.address = address;
    options.port = args.port.value_or(kTftpServerPort);
    service::TftpServer server(std::move(std::get<service::ServedFolder>(served)), options,
                               service::StderrTransferLog(kProgram));
    if (const std::string why = server.Listen(); !why.empty()) {
        service::ReportFailure(args.readyFd, kProgram, why);
        return 3;
    }
    service::TerminationWatcher watcher([&server] { server.RequestStop(); });
    std::fprintf(stderr, "%s: serving %s on %s:%u\n", kProgram, folder.c_str(), address.c_str(), server.Port());
    service::ReportReady(args.readyFd, address, server.Port());
    server.Run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = cpe::service::ParseHelperArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (auto* why = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "%s: %s\n%s", kProgram, why->c_str(), cpe::service::HelperUsage(kProgram).c_str());
        return 2;
    }
    return Serve(std::get<cpe::service::HelperArgs>(parsed));
}
