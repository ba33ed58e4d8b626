// What the end-to-end tests and the discovery benchmark share: the lab they run in (from the
// environment tools/netlab.sh gives them), a cpe-sim process on the device side of the lab, and
// the utility under test (the real engine and store) on the utility side.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/net_management.h"
#include "sim/json.h"
#include "store/sql_management.h"

namespace cpe::lab {

struct LabEnv {
    std::string name;                        // "default" or the --lab name
    std::vector<std::string> utilAddresses;  // one per subnet
    std::vector<std::string> deviceSubnets;  // "10.77.64.1/16", ...
};

// The lab this process runs in, or nothing when it was not started by tools/netlab.sh.
std::optional<LabEnv> CurrentLab();
// The same, for a benchmark's main: outside the lab it says how to run `program` in lab `lab`.
std::optional<LabEnv> BenchLab(const char* lab, const char* program);
// The exit status of a benchmark run outside the lab: skipped.
inline constexpr int kNotInLab = 77;

// The lab's veths drop `percent` of what they deliver, both ways (tools/netlab.sh loss); UDP
// from or to the ports `spare` ("LOW-HIGH", may be empty) is left alone. True when it is set.
bool SetLinkLoss(const LabEnv& lab, int percent, const std::string& spare = {});

// cpe-sim on the device side of the lab, with a control socket; stopped on destruction.
class SimProcess {
public:
    SimProcess(const LabEnv& lab, std::vector<std::string> options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Ready() const { return ready_; }
    std::optional<sim::JsonValue> Request(const std::string& request) const;
    sim::JsonValue Device(const std::string& mac) const;
    sim::JsonValue Dump() const;

private:
    pid_t pid_ = -1;
    std::string control_;
    bool ready_ = false;
};

// The engine over a fresh store in a temporary file, with the real local-adapter library.
class Utility {
public:
    Utility();
    ~Utility();
    bool Started() const { return started_; }
    CNetManagement& Engine() { return *engine_; }
    CSqlManagement& Store() { return *store_; }

    std::size_t RowCount();
    std::optional<ap_info_stu> Row(const std::string& mac);
    std::optional<ap_online_stu> OnlineEntry(const std::string& mac);

private:
    std::filesystem::path database_;
    std::unique_ptr<CSqlManagement> store_;
    std::unique_ptr<CNetManagement> engine_;
    bool started_ = false;
};

// What the utility's peers would send: a discovery search to every subnet of the lab (their
// broadcast address, device discovery port), from this side of the lab. The devices then answer
// the utility listening on this side, whichever process that is.
void BroadcastSearch(const LabEnv& lab);

// The UDP sockets of this network namespace by local port: how many datagrams the kernel dropped
// at each because its receive buffer was full.
std::map<std::uint16_t, std::uint64_t> UdpDropsByPort();

// Resident memory of a process, in KiB: now and at its peak.
struct ProcessMemory {
    std::uint64_t rssKiB = 0;
    std::uint64_t peakKiB = 0;
};
std::optional<ProcessMemory> ReadMemory(pid_t pid);
// Starts a new peak from what the process holds now (Linux: clear_refs 5).
bool ResetPeakMemory(pid_t pid);

// The number of device rows in a store's file that another process holds open (read from a copy).
std::optional<std::size_t> CountDeviceRows(const std::filesystem::path& databaseFile);

// Polls `done` every `step` until it holds or `limit` passes; true when it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
               std::chrono::milliseconds step = std::chrono::milliseconds(50));

// The UDP counters of this network namespace, by name ("RcvbufErrors", "InErrors", ...).
sim::JsonValue KernelUdpCounters();

}  // namespace cpe::lab
