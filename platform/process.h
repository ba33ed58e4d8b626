// Starting, finding and ending processes. A started process belongs to its ChildProcess object:
// the object ends it (SIGTERM, then SIGKILL after a grace period) and reaps it, so no zombie and
// no stray helper outlives its owner. Nothing here ever signals a process it did not start.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace cpe::platform {

struct LaunchRequest {
    std::string path;                          // the executable
    std::vector<std::string> args;             // argv[1..]
    std::string workingDir;                    // empty: the caller's
    bool hidden = true;                        // no terminal: own session, stdin from /dev/null
    std::vector<std::pair<int, int>> passFds;  // (descriptor here, number in the child)
};

class ChildProcess {
public:
    // The started process, or why it could not be started.
    static std::variant<ChildProcess, std::string> Launch(const LaunchRequest& request);

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    const std::string& Path() const { return path_; }
    // False once the process has ended (it is then reaped and its status kept).
    bool Running();
    // The wait status once it has ended.
    std::optional<int> Status() const { return status_; }
    // Waits at most `limit` for the end; true when it has ended.
    bool WaitFor(std::chrono::milliseconds limit);
    // Waits without limit and gives the wait status.
    int Wait();
    // SIGTERM, up to `grace` for it to end, then SIGKILL; always reaps. Safe to call repeatedly.
    // A hidden child leads its own process group, and the whole group gets the signals, so
    // nothing it started outlives it.
    void Terminate(std::chrono::milliseconds grace = std::chrono::milliseconds(1000));

private:
    bool Reap(int flags);

    pid_t pid_ = -1;
    bool ownGroup_ = false;
    std::string path_;
    std::optional<int> status_;
};

// "exit status 2", "killed by signal 9".
std::string DescribeWaitStatus(int status);

// File name of the executable of a running process (from /proc), empty when unknown.
std::string ExecutableNameOf(pid_t pid);
// Lowest id of a running process whose executable file name equals `name` exactly, 0 when none.
pid_t FindProcess(std::string_view name);

}  // namespace cpe::platform
