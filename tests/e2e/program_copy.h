// The cpe-manager executable run from a private copy of its folder (the program and its adapter
// library), so that its data.mdb, its runtime folder with its instance lock, and its data folder
// with its inventory are its own. Processes it started and that still run are killed when it goes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace cpe::lab {

class ProgramCopy {
public:
    ProgramCopy(const std::filesystem::path& program, const std::filesystem::path& adapterLibrary);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    // Starts the copy on the offscreen platform; its process id.
    pid_t Start();
    // The exit status (128 + the signal for a killed process), or -1 when the process did not
    // end within the limit.
    static int WaitExit(pid_t pid, std::chrono::milliseconds limit);

    std::filesystem::path Database() const { return dir_ / "data.mdb"; }
    std::filesystem::path RuntimeFolder() const { return dir_ / "run"; }
    // Its data folder (XDG_DATA_HOME), where its fleet inventory lives.
    std::filesystem::path DataFolder() const { return dir_ / "data"; }
    std::filesystem::path InventoryFile() const { return DataFolder() / "cpe-manager" / "inventory.sqlite"; }

private:
    std::filesystem::path dir_;
    std::vector<pid_t> started_;
};

}  // namespace cpe::lab
