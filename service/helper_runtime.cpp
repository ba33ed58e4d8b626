#include "service/helper_runtime.h"

#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <limits>

namespace cpe::service {
namespace {

template <typename T>
std::optional<T> Number(const std::string& text, T min, T max) {
    long long v = 0;
    const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (err != std::errc() || end != text.data() + text.size() || v < min || v > max)
        return std::nullopt;
    return static_cast<T>(v);
}

sigset_t TerminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

void WriteLineAndClose(int& fd, const std::string& line) {
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t ignored = ::write(fd, line.data(), line.size());
    ::close(fd);
    fd = -1;
}

}  // namespace

std::variant<HelperArgs, std::string> ParseHelperArgs(const std::vector<std::string>& args) {
    HelperArgs out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size())
            return name + " needs a value";
        const std::string& value = args[++i];
        if (name == "--ini") {
            out.ini = value;
        } else if (name == "--parent") {
            const auto pid = Number<pid_t>(value, 1, std::numeric_limits<pid_t>::max());
            if (!pid)
                return "--parent needs a process id";
            out.parent = *pid;
        } else if (name == "--ready-fd") {
            const auto fd = Number<int>(value, 3, 1024);
            if (!fd)
                return "--ready-fd needs a descriptor number from 3 on";
            out.readyFd = *fd;
        } else if (name == "--port") {
            const auto port = Number<std::uint16_t>(value, 0, 65535);
            if (!port)
                return "--port needs a port number";
            out.port = *port;
        } else {
            return "unknown option " + name;
        }
    }
    if (out.ini.empty())
        return std::string("--ini is required");
    return out;
}

std::string HelperUsage(std::string_view program) {
    return "usage: " + std::string(program) + " --ini FILE [--parent PID] [--ready-fd N] [--port N]\n";
}

bool TieToParent(pid_t parent) {
    if (parent == 0)
        return true;
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have died before the line above: then we were already handed to another.
    return ::getppid() == parent;
}

void ReportReady(int& fd, std::string_view address, std::uint16_t port) {
    WriteLineAndClose(fd, "listening " + std::string(address) + ":" + std::to_string(port) + "\n");
}

void ReportFailure(int& fd, std::string_view program, std::string_view message) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(program.size()), program.data(),
                 static_cast<int>(message.size()), message.data());
    WriteLineAndClose(fd, "error: " + std::string(message) + "\n");
}

void ReportServing(std::string_view program, const std::string& folder, const std::string& address,
                   std::uint16_t port) {
    std::fprintf(stderr, "%.*s: serving %s on %s:%u\n", static_cast<int>(program.size()), program.data(),
                 folder.c_str(), address.c_str(), port);
}

int HelperMain(int argc, char** argv, std::string_view program, const std::function<int(HelperArgs&)>& serve) {
    auto parsed = ParseHelperArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (auto* why = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "%.*s: %s\n%s", static_cast<int>(program.size()), program.data(), why->c_str(),
                     HelperUsage(program).c_str());
        return 2;
    }
    auto& args = std::get<HelperArgs>(parsed);
    if (!TieToParent(args.parent)) {
        ReportFailure(args.readyFd, program, "the utility that started this helper has ended");
        return 1;
    }
    return serve(args);
}

std::optional<ServedFolder> OpenServedFolder(HelperArgs& args, std::string_view program, const std::string& folder) {
    auto served = ServedFolder::Open(folder);
    if (auto* why = std::get_if<std::string>(&served)) {
        ReportFailure(args.readyFd, program, *why);
        return std::nullopt;
    }
    return std::move(std::get<ServedFolder>(served));
}

TerminationWatcher::TerminationWatcher(std::function<void()> stop) {
    const sigset_t set = TerminationSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    thread_ = std::thread([set, stop = std::move(stop)] {
        int signal = 0;
        ::sigwait(&set, &signal);
        stop();
    });
}

TerminationWatcher::~TerminationWatcher() {
    // Wakes the watcher if no signal came; a stop after the server ended does nothing.
    ::pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
}

}  // namespace cpe::service
