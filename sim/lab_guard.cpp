#include "sim/lab_guard.h"

#include <sys/stat.h>

#include <filesystem>

namespace cpe::sim {

std::string CheckInLabNamespace() {
    struct stat self {};
    if (::stat("/proc/self/ns/net", &self) != 0)
        return "cannot read this process's network namespace";
    struct stat initial {};
    if (::stat("/proc/1/ns/net", &initial) == 0 && initial.st_ino == self.st_ino && initial.st_dev == self.st_dev)
        return "running in the machine's own network namespace";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/run/netns", ec)) {
        if (entry.path().filename().string().rfind("cpe-lab-", 0) != 0)
            continue;
        struct stat lab {};
        if (::stat(entry.path().c_str(), &lab) == 0 && lab.st_ino == self.st_ino && lab.st_dev == self.st_dev)
            return {};
    }
    return "not in a network namespace of the lab (tools/netlab.sh)";
}

}  // namespace cpe::sim
