// Starting and ending the helper file servers of a firmware upgrade. Only processes this object
// started are ever looked up or ended, by their ids: another user's program of the same name is
// none of our business, and a helper that will not end on SIGTERM is killed after a short wait
// instead of being asked forever. Each helper also ends by itself when the thread that started it
// ends (parent-death signal), so the starting thread must live as long as the helpers (the
// user-interface thread does).
//
// Every TFTP instance gets an ini file of its own, so no instance can read another's address,
// and each start reports whether the helper is listening, or why not, before it returns.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "actions/upgrade/upgrade_timing.h"
#include "platform/process.h"

namespace cpe::actions {

enum class HelperKind { kTftp, kFileServer };

struct HelperStart {
    bool ok = false;
    HelperKind helper = HelperKind::kTftp;
    std::string address;  // the local address of the TFTP instance that failed, if any
    std::string reason;   // what the helper or the start said, for the operator and the log
};

struct HelperLayout {
    std::filesystem::path serviceDir;  // where the helper executables are
    std::filesystem::path iniDir;      // where their ini files are written; empty: nowhere private
    std::string tftpExecutable = "cpe-tftpd";
    std::string fileServerExecutable = "cpe-httpd";
    std::optional<std::uint16_t> tftpPort;  // instead of the standard ports (tests)
    std::optional<std::uint16_t> httpPort;
    std::chrono::milliseconds readyLimit{5000};  // how long a helper may take to say it listens
};

// "service/" in `programDir`; the ini files go there when the program may write there, else into
// the user's runtime folder (an installed program's folder is the package's, not the user's).
HelperLayout HelperLayoutFor(const std::filesystem::path& programDir);
// The layout for this program's own folder.
HelperLayout DefaultHelperLayout();

class COperateSystemInfo {
public:
    // The program's own instance, with the layout of its folder; built on first use, and its
    // helpers ended when the program ends.
    static COperateSystemInfo& GetInstance();

    explicit COperateSystemInfo(HelperLayout layout = DefaultHelperLayout());
    ~COperateSystemInfo();
    COperateSystemInfo(const COperateSystemInfo&) = delete;
    COperateSystemInfo& operator=(const COperateSystemInfo&) = delete;

    // Starts `path` without a terminal, in the folder that holds it. With `wait` it returns
    // once the process has ended; otherwise the process is kept until KillProcesses.
    bool LaunchProcess(const std::string& path, const std::vector<std::string>& params, bool wait);
    // Id of a running process with this executable name that this object started, 0 when none.
    pid_t FindProcess(std::string_view name);
    // Ends and reaps every process with this executable name that this object started.
    void KillProcesses(std::string_view name);

    // One TFTP helper per local address; all or none: when one fails, those started are ended.
    HelperStart StartTftpHelper(const std::string& folder, const std::vector<std::string>& localAddresses);
    HelperStart StartFileServerHelper(const std::string& folder);
    // For the send thread before the first request to model set B: 3 s, then up to three looks
    // for the file server 1 s apart. False when it was not found or the wait was stopped.
    bool WaitForFileServer(std::stop_token stop, const UpgradeTimings& timings = {});
    void StopHelpers();

    const HelperLayout& Layout() const { return layout_; }

private:
    HelperStart StartHelper(HelperKind kind, const std::filesystem::path& ini, const std::string& address);

    HelperLayout layout_;
    std::mutex mutex_;  // children_: the send thread looks, the user-interface thread starts and ends
    std::vector<platform::ChildProcess> children_;
};

}  // namespace cpe::actions
