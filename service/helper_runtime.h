// What both helper programs share: their command line, ending with the utility that started
// them, reporting "listening" (or why not) to it on a pipe, and a clean stop on SIGTERM. The
// exit status says how a helper ended: 0 stopped, 1 its utility was gone, 2 bad command line or
// ini file, 3 it could not listen.
//
//   <helper> --ini FILE [--parent PID] [--ready-fd N] [--port N]
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <variant>
#include <vector>

#include "service/served_folder.h"

namespace cpe::service {

struct HelperArgs {
    std::filesystem::path ini;
    pid_t parent = 0;  // 0: not tied to a parent
    int readyFd = -1;  // -1: nobody waits for the report
    std::optional<std::uint16_t> port;
};

std::variant<HelperArgs, std::string> ParseHelperArgs(const std::vector<std::string>& args);
std::string HelperUsage(std::string_view program);

// The helper ends when its parent does (SIGTERM on the parent's death). False when the parent is
// already gone, since a helper started by a utility that has since died must not keep serving.
bool TieToParent(pid_t parent);

// One line to the waiting utility, then the pipe is closed: "listening ADDRESS:PORT" on
// success, "error: ..." otherwise (which also goes to standard error).
void ReportReady(int& fd, std::string_view address, std::uint16_t port);
void ReportFailure(int& fd, std::string_view program, std::string_view message);
// "cpe-tftpd: serving FOLDER on ADDRESS:PORT" on standard error.
void ReportServing(std::string_view program, const std::string& folder, const std::string& address, std::uint16_t port);

// While it exists SIGTERM, SIGINT and SIGHUP call `stop` on a thread of its own (so `stop` need
// not be async-signal-safe). Make it before any other thread.
class TerminationWatcher {
public:
    explicit TerminationWatcher(std::function<void()> stop);
    ~TerminationWatcher();
    TerminationWatcher(const TerminationWatcher&) = delete;
    TerminationWatcher& operator=(const TerminationWatcher&) = delete;

private:
    std::thread thread_;
};

// A helper's main: parses the command line (usage on error, status 2), ties the helper to its
// parent (status 1 when that is gone) and returns what `serve` returns.
int HelperMain(int argc, char** argv, std::string_view program, const std::function<int(HelperArgs&)>& serve);

// The folder from the ini file, or nothing after reporting why it cannot be served.
std::optional<ServedFolder> OpenServedFolder(HelperArgs& args, std::string_view program, const std::string& folder);

// Listens (status 3 and a report when it cannot), reports "listening", and serves until a
// termination signal or the parent's end.
template <typename Server>
int ListenAndServe(Server& server, HelperArgs& args, std::string_view program, const std::string& folder,
                   const std::string& address) {
    if (const std::string why = server.Listen(); !why.empty()) {
        ReportFailure(args.readyFd, program, why);
        return 3;
    }
    TerminationWatcher watcher([&server] { server.RequestStop(); });
    ReportServing(program, folder, address, server.Port());
    ReportReady(args.readyFd, address, server.Port());
    server.Run();
    return 0;
}

}  // namespace cpe::service
