// What both helper programs share: their command line, ending with the utility that started
// them, reporting "listening" (or why not) to it on a pipe, and a clean stop on SIGTERM.
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

namespace cpe::service {

struct HelperArgs {
    std::filesystem::path ini;
    pid_t parent = 0;                  // 0: not tied to a parent
    int readyFd = -1;                  // -1: nobody waits for the report
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

}  // namespace cpe::service
