// cpe-cli run as the operator runs it: its own process, standard output and standard error
// caught in files, a private runtime folder for its instance lock, and a UTF-8 locale.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cpe::test {

struct CliResult {
    int status = -1;  // the exit status; 128 + N when signal N ended it
    std::string out;
    std::string err;
    long peakRssKiB = 0;
};

class CliProcess {
public:
    // Starts `program` with `args` in `runtimeDir` (its XDG_RUNTIME_DIR; its XDG_DATA_HOME is the
    // folder "data" in it).
    CliProcess(const std::string& program, const std::vector<std::string>& args,
               const std::filesystem::path& runtimeDir);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t Pid() const { return pid_; }
    void Signal(int signal) const;
    // Waits at most `limit` for the end; a process still running then is killed (status -1).
    CliResult Wait(std::chrono::seconds limit);

private:
    pid_t pid_ = -1;
    std::filesystem::path outFile_;
    std::filesystem::path errFile_;
};

// Runs it to its end.
CliResult RunCli(const std::string& program, const std::vector<std::string>& args,
                 const std::filesystem::path& runtimeDir, std::chrono::seconds limit);

}  // namespace cpe::test
