#include "tests/e2e/program_copy.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace cpe::lab {

ProgramCopy::ProgramCopy(const std::filesystem::path& program, const std::filesystem::path& adapterLibrary) {
    static int serial = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("cpe-program-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(RuntimeFolder());
    std::filesystem::permissions(RuntimeFolder(), std::filesystem::perms::owner_all);
    std::filesystem::copy_file(program, dir_ / "cpe-manager");
    std::filesystem::copy_file(adapterLibrary, dir_ / adapterLibrary.filename());
}

ProgramCopy::~ProgramCopy() {
    for (pid_t pid : started_)
        if (::kill(pid, 0) == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

pid_t ProgramCopy::Start() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("XDG_RUNTIME_DIR", RuntimeFolder().c_str(), 1);
        ::setenv("XDG_DATA_HOME", DataFolder().c_str(), 1);
        const std::string exe = (dir_ / "cpe-manager").string();
        ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    started_.push_back(pid);
    return pid;
}

int ProgramCopy::WaitExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace cpe::lab
