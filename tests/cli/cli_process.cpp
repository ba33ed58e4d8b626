#include "tests/cli/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace cpe::test {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

CliProcess::CliProcess(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& runtimeDir) {
    static int serial = 0;
    const std::string stem = "cli-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    outFile_ = runtimeDir / (stem + ".out");
    errFile_ = runtimeDir / (stem + ".err");

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0 && std::strncmp(*e, "XDG_DATA_HOME=", 14) != 0 &&
            std::strncmp(*e, "LC_ALL=", 7) != 0)
            env.emplace_back(*e);
    env.push_back("XDG_RUNTIME_DIR=" + runtimeDir.string());
    // The fleet inventory of the run lives there too, never in the home of the user running the tests.
    env.push_back("XDG_DATA_HOME=" + (runtimeDir / "data").string());
    env.push_back("LC_ALL=C.UTF-8");
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = {program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, program.c_str(), &files, nullptr, argv.data(), envp.data()) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&files);
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove(outFile_, ignored);
    std::filesystem::remove(errFile_, ignored);
}

void CliProcess::Signal(int signal) const {
    if (pid_ > 0)
        ::kill(pid_, signal);
}

CliResult CliProcess::Wait(std::chrono::seconds limit) {
    CliResult result;
    if (pid_ <= 0)
        return result;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    rusage usage{};
    pid_t ended = 0;
    while ((ended = ::wait4(pid_, &status, WNOHANG, &usage)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (ended == 0) {
        ::kill(pid_, SIGKILL);
        ::wait4(pid_, &status, 0, &usage);
    } else if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.status = 128 + WTERMSIG(status);
    }
    pid_ = -1;
    result.peakRssKiB = usage.ru_maxrss;
    result.out = ReadFile(outFile_);
    result.err = ReadFile(errFile_);
    return result;
}

CliResult RunCli(const std::string& program, const std::vector<std::string>& args,
                 const std::filesystem::path& runtimeDir, std::chrono::seconds limit) {
    return CliProcess(program, args, runtimeDir).Wait(limit);
}

}  // namespace cpe::test
