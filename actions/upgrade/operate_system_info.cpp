#include "actions/upgrade/operate_system_info.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <variant>

#include "platform/ini_file.h"
#include "platform/system_info.h"
#include "platform/unique_fd.h"

namespace cpe::actions {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kReadyFdInChild = 3;

// False when the wait was cut short by a stop request.
bool SleepUnlessStopped(const std::stop_token& stop, std::chrono::milliseconds duration) {
    std::mutex m;
    std::condition_variable_any cv;
    std::unique_lock lock(m);
    cv.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

// What the helper wrote on its report pipe before closing it, up to the first line end; empty
// when it closed the pipe (ended) without a word, nothing when the limit passed first.
std::optional<std::string> ReadReport(int fd, std::chrono::milliseconds limit) {
    std::string text;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return std::nullopt;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(n));
        if (const auto end = text.find('\n'); end != std::string::npos)
            return text.substr(0, end);
    }
}

// The ini file tells a helper which folder to serve; one that others could change is not used.
constexpr const char* kNoIniFolder = "no private folder for the helper's ini file";

std::string IniNameFor(std::size_t instance) {
    return instance == 0 ? "tftpd32.ini" : "tftpd32-" + std::to_string(instance + 1) + ".ini";
}

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

HelperLayout DefaultHelperLayout() { return HelperLayoutFor(platform::GetProgramDir()); }

HelperLayout HelperLayoutFor(const std::filesystem::path& programDir) {
    HelperLayout layout;
    layout.serviceDir = programDir / "service";
    if (platform::MayWriteInProgramFolder(layout.serviceDir.string())) {
        layout.iniDir = layout.serviceDir;
        return layout;
    }
    // Empty when the user has no private runtime folder: the helpers then do not start.
    layout.iniDir = platform::RuntimeDir();
    return layout;
}

COperateSystemInfo& COperateSystemInfo::GetInstance() {
    static COperateSystemInfo instance;
    return instance;
}

COperateSystemInfo::COperateSystemInfo(HelperLayout layout) : layout_(std::move(layout)) {}

COperateSystemInfo::~COperateSystemInfo() { StopHelpers(); }

bool COperateSystemInfo::LaunchProcess(const std::string& path, const std::vector<std::string>& params, bool wait) {
    platform::LaunchRequest request{path, params, {}, true, {}};
    // The folder that holds the program; a bare name runs where we are.
    if (const auto slash = path.rfind('/'); slash != std::string::npos)
        request.workingDir = path.substr(0, slash + 1);
    auto started = platform::ChildProcess::Launch(request);
    auto* child = std::get_if<platform::ChildProcess>(&started);
    if (!child)
        return false;
    if (wait) {
        child->Wait();
        return true;
    }
    std::lock_guard lock(mutex_);
    children_.push_back(std::move(*child));
    return true;
}

pid_t COperateSystemInfo::FindProcess(std::string_view name) {
    std::lock_guard lock(mutex_);
    for (auto& child : children_)
        if (FileNameOf(child.Path()) == name && child.Running())
            return child.Pid();
    return 0;
}

void COperateSystemInfo::KillProcesses(std::string_view name) {
    std::vector<platform::ChildProcess> ending;
    {
        std::lock_guard lock(mutex_);
        auto split = std::stable_partition(children_.begin(), children_.end(), [&](const platform::ChildProcess& c) {
            return FileNameOf(c.Path()) != name;
        });
        std::move(split, children_.end(), std::back_inserter(ending));
        children_.erase(split, children_.end());
    }
    // Outside the lock: each may take the grace period to end.
    for (auto& child : ending)
        child.Terminate();
}

HelperStart COperateSystemInfo::StartHelper(HelperKind kind, const std::filesystem::path& ini,
                                            const std::string& address) {
    const bool tftp = kind == HelperKind::kTftp;
    HelperStart result{false, kind, address, {}};
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.reason = std::string("cannot make a pipe: ") + std::strerror(errno);
        return result;
    }
    platform::UniqueFd readEnd(fds[0]);
    platform::UniqueFd writeEnd(fds[1]);

    platform::LaunchRequest request;
    request.path = (layout_.serviceDir / (tftp ? layout_.tftpExecutable : layout_.fileServerExecutable)).string();
    request.workingDir = layout_.serviceDir.string();
    request.args = {
        "--ini", ini.string(), "--parent", std::to_string(::getpid()), "--ready-fd", std::to_string(kReadyFdInChild)};
    if (const auto port = tftp ? layout_.tftpPort : layout_.httpPort) {
        request.args.push_back("--port");
        request.args.push_back(std::to_string(*port));
    }
    request.passFds = {{writeEnd.Get(), kReadyFdInChild}};
    auto started = platform::ChildProcess::Launch(request);
    writeEnd.Reset();  // the helper holds the only write end now: its end closes the pipe
    if (auto* why = std::get_if<std::string>(&started)) {
        result.reason = *why;
        return result;
    }
    auto& child = std::get<platform::ChildProcess>(started);
    const auto report = ReadReport(readEnd.Get(), layout_.readyLimit);
    if (report && report->starts_with("listening")) {
        result.ok = true;
        std::lock_guard lock(mutex_);
        children_.push_back(std::move(child));
        return result;
    }
    if (!report) {
        result.reason = "did not start listening within " + std::to_string(layout_.readyLimit.count()) + " ms";
    } else if (report->starts_with("error: ")) {
        result.reason = report->substr(7);
    } else {
        child.WaitFor(layout_.readyLimit);
        result.reason = "ended before listening";
        if (const auto status = child.Status())
            result.reason += " (" + platform::DescribeWaitStatus(*status) + ")";
    }
    child.Terminate();
    return result;
}

HelperStart COperateSystemInfo::StartTftpHelper(const std::string& folder,
                                                const std::vector<std::string>& localAddresses) {
    KillProcesses(layout_.tftpExecutable);
    if (localAddresses.empty())
        return {false, HelperKind::kTftp, {}, "no local address shares a subnet with the devices"};
    if (layout_.iniDir.empty())
        return {false, HelperKind::kTftp, {}, kNoIniFolder};
    for (std::size_t i = 0; i < localAddresses.size(); ++i) {
        const auto ini = layout_.iniDir / IniNameFor(i);
        const std::string& address = localAddresses[i];
        HelperStart result{false, HelperKind::kTftp, address, "cannot write " + ini.string()};
        if (platform::WritePrivateProfileString("TFTPD32", "BaseDirectory", folder, ini) &&
            platform::WritePrivateProfileString("TFTPD32", "LocalIP", address, ini))
            result = StartHelper(HelperKind::kTftp, ini, address);
        if (!result.ok) {
            KillProcesses(layout_.tftpExecutable);
            return result;
        }
    }
    return {true, HelperKind::kTftp, {}, {}};
}

HelperStart COperateSystemInfo::StartFileServerHelper(const std::string& folder) {
    KillProcesses(layout_.fileServerExecutable);
    if (layout_.iniDir.empty())
        return {false, HelperKind::kFileServer, {}, kNoIniFolder};
    const auto ini = layout_.iniDir / "FileServer.ini";
    if (!platform::WritePrivateProfileString("SERVER", "Directory", folder, ini))
        return {false, HelperKind::kFileServer, {}, "cannot write " + ini.string()};
    return StartHelper(HelperKind::kFileServer, ini, {});
}

bool COperateSystemInfo::WaitForFileServer(std::stop_token stop, const UpgradeTimings& timings) {
    if (!SleepUnlessStopped(stop, timings.fileServerFirstWait))
        return false;
    for (int check = 0; check < timings.fileServerChecks; ++check) {
        if (FindProcess(layout_.fileServerExecutable) != 0)
            return true;
        if (!SleepUnlessStopped(stop, timings.fileServerRetryWait))
            return false;
    }
    return false;
}

void COperateSystemInfo::StopHelpers() {
    KillProcesses(layout_.tftpExecutable);
    KillProcesses(layout_.fileServerExecutable);
}

}  // namespace cpe::actions
