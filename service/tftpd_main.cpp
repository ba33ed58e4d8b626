// cpe-tftpd: the read-only TFTP server the devices fetch firmware from. Reads the folder and the
// local address from its ini file ([TFTPD32] BaseDirectory, LocalIP) and serves until it is
// stopped or its parent ends.
#include "platform/ini_file.h"
#include "protocol/file_transfer.h"
#include "service/helper_runtime.h"
#include "service/tftp_server.h"

namespace {

constexpr const char* kProgram = "cpe-tftpd";
constexpr std::size_t kIniValueChars = 4096;

int Serve(cpe::service::HelperArgs& args) {
    using namespace cpe;
    const std::string folder =
        platform::GetPrivateProfileString("TFTPD32", "BaseDirectory", "", kIniValueChars, args.ini);
    const std::string address = platform::GetPrivateProfileString("TFTPD32", "LocalIP", "", kIniValueChars, args.ini);
    if (folder.empty() || address.empty()) {
        service::ReportFailure(args.readyFd, kProgram,
                               "BaseDirectory and LocalIP must be set in [TFTPD32] of " + args.ini.string());
        return 2;
    }
    auto served = service::OpenServedFolder(args, kProgram, folder);
    if (!served)
        return 2;
    service::TftpServerOptions options;
    options.address = address;
    options.port = args.port.value_or(kTftpServerPort);
    service::TftpServer server(std::move(*served), options, service::StderrTransferLog(kProgram));
    return service::ListenAndServe(server, args, kProgram, folder, address);
}

}  // namespace

int main(int argc, char** argv) { return cpe::service::HelperMain(argc, argv, kProgram, Serve); }
