#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/unique_fd.h"

extern char** environ;

namespace cpe::platform {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWaitStep = std::chrono::milliseconds(5);

// posix_spawn's file actions and attributes, released on every path.
class SpawnSetup {
public:
    SpawnSetup() {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawnattr_init(&attr_);
    }
    ~SpawnSetup() {
        ::posix_spawnattr_destroy(&attr_);
        ::posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    posix_spawn_file_actions_t* actions() { return &actions_; }
    posix_spawnattr_t* attr() { return &attr_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attr_;
};

}  // namespace

std::variant<ChildProcess, std::string> ChildProcess::Launch(const LaunchRequest& request) {
    SpawnSetup setup;
    int rc = 0;
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (request.hidden) {
        flags |= POSIX_SPAWN_SETSID;
        rc = rc ? rc : ::posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    std::vector<UniqueFd> copies;
    for (const auto& [from, to] : request.passFds) {
        // A descriptor duplicated onto its own number would keep close-on-exec: pass a copy.
        int source = from;
        if (from == to) {
            copies.emplace_back(::fcntl(from, F_DUPFD_CLOEXEC, 0));
            source = copies.back().Get();
        }
        rc = rc ? rc : ::posix_spawn_file_actions_adddup2(setup.actions(), source, to);
    }
    if (!request.workingDir.empty())
        rc = rc ? rc : ::posix_spawn_file_actions_addchdir_np(setup.actions(), request.workingDir.c_str());
    // The child starts with no blocked signals and default handlers, whatever this process uses.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    rc = rc ? rc : ::posix_spawnattr_setsigmask(setup.attr(), &none);
    rc = rc ? rc : ::posix_spawnattr_setsigdefault(setup.attr(), &all);
    rc = rc ? rc : ::posix_spawnattr_setflags(setup.attr(), flags);
    if (rc != 0)
        return std::string("cannot prepare the start: ") + std::strerror(rc);

    std::vector<std::string> argStore;
    argStore.reserve(request.args.size() + 1);
    argStore.push_back(request.path);
    argStore.insert(argStore.end(), request.args.begin(), request.args.end());
    std::vector<char*> argv;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    rc = ::posix_spawn(&pid, request.path.c_str(), setup.actions(), setup.attr(), argv.data(), environ);
    if (rc != 0)
        return "cannot start " + request.path + ": " + std::strerror(rc);
    ChildProcess child;
    child.pid_ = pid;
    child.ownGroup_ = request.hidden;
    child.path_ = request.path;
    return child;
}

ChildProcess::~ChildProcess() { Terminate(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      ownGroup_(other.ownGroup_),
      path_(std::move(other.path_)),
      status_(other.status_) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Terminate();
        pid_ = std::exchange(other.pid_, -1);
        ownGroup_ = other.ownGroup_;
        path_ = std::move(other.path_);
        status_ = other.status_;
    }
    return *this;
}

bool ChildProcess::Reap(int flags) {
    if (pid_ <= 0 || status_)
        return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &status, flags);
    } while (r < 0 && errno == EINTR);
    if (r == pid_) {
        status_ = status;
        return true;
    }
    if (r < 0) {  // reaped by someone else (ECHILD): it has ended all the same
        status_ = 0;
        return true;
    }
    return false;
}

bool ChildProcess::Running() { return pid_ > 0 && !Reap(WNOHANG); }

bool ChildProcess::WaitFor(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Running()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kWaitStep);
    }
    return true;
}

int ChildProcess::Wait() {
    Reap(0);
    return status_.value_or(0);
}

void ChildProcess::Terminate(std::chrono::milliseconds grace) {
    if (!Running())
        return;
    const pid_t target = ownGroup_ ? -pid_ : pid_;
    ::kill(target, SIGTERM);
    if (!WaitFor(grace)) {
        ::kill(target, SIGKILL);
        Reap(0);
    }
    // Whatever the child started and left behind in its group goes with it.
    if (ownGroup_)
        ::kill(target, SIGKILL);
}

std::string DescribeWaitStatus(int status) {
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "wait status " + std::to_string(status);
}

std::string ExecutableNameOf(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink(proc + "/exe", ec);
    if (!ec) {
        std::string name = exe.filename().string();
        // A replaced executable reads "name (deleted)"; it is still that program.
        constexpr std::string_view deleted = " (deleted)";
        if (name.ends_with(deleted))
            name.resize(name.size() - deleted.size());
        return name;
    }
    // Another user's process: its exe link is not readable, its command line is.
    std::ifstream cmdline(proc + "/cmdline", std::ios::binary);
    std::string argv0;
    std::getline(cmdline, argv0, '\0');
    return std::filesystem::path(argv0).filename().string();
}

pid_t FindProcess(std::string_view name) {
    pid_t found = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string id = entry.path().filename().string();
        pid_t pid = 0;
        const auto [end, err] = std::from_chars(id.data(), id.data() + id.size(), pid);
        if (err != std::errc() || end != id.data() + id.size() || pid <= 0)
            continue;
        if ((found == 0 || pid < found) && ExecutableNameOf(pid) == name)
            found = pid;
    }
    return found;
}

}  // namespace cpe::platform
