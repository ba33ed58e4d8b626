#include "tests/e2e/lab_support.h"

#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <thread>

#include "engine/adapter_source.h"
#include "platform/unique_fd.h"
#include "protocol/packet.h"
#include "sim/control_client.h"
#include "sim/state_view.h"

namespace cpe::lab {
namespace {

std::vector<std::string> Words(const char* text) {
    std::vector<std::string> out;
    std::istringstream in(text ? text : "");
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

}  // namespace

std::optional<LabEnv> CurrentLab() {
    const char* name = std::getenv("CPE_LAB_NAME");
    if (!name || !*name)
        return std::nullopt;
    LabEnv lab{name, Words(std::getenv("CPE_LAB_UTIL_ADDRS")), Words(std::getenv("CPE_LAB_DEVICE_SUBNETS"))};
    if (lab.utilAddresses.empty() || lab.deviceSubnets.empty())
        return std::nullopt;
    return lab;
}

std::optional<LabEnv> BenchLab(const char* lab, const char* program) {
    auto env = CurrentLab();
    if (!env)
        std::fprintf(stderr, "bench: run me inside the network lab: tools/netlab.sh run --lab %s -- %s\n", lab,
                     program);
    return env;
}

bool SetLinkLoss(const LabEnv& lab, int percent, const std::string& spare) {
    std::string command = std::string(CPE_NETLAB_SCRIPT) + " loss --lab " + lab.name + " " + std::to_string(percent);
    if (!spare.empty())
        command += " --spare " + spare;
    return std::system(command.c_str()) == 0;
}

SimProcess::SimProcess(const LabEnv& lab, std::vector<std::string> options) {
    static int serial = 0;
    control_ = (std::filesystem::temp_directory_path() /
                ("cpe-lab-sim-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".sock"))
                   .string();
    std::vector<std::string> argv = {CPE_NETLAB_SCRIPT, "sim"};
    if (lab.name != "default")
        argv.insert(argv.end(), {"--lab", lab.name});
    argv.insert(argv.end(), {"--bin", CPE_SIM_BINARY, "--", "--control", control_});
    argv.insert(argv.end(), options.begin(), options.end());
    pid_ = ::fork();
    if (pid_ == 0) {
        std::vector<char*> args;
        for (auto& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    if (pid_ < 0)
        return;
    ready_ = WaitUntil([this] { return sim::ControlRequest(control_, "stats").has_value(); }, std::chrono::seconds(10));
}

SimProcess::~SimProcess() {
    if (pid_ <= 0)
        return;
    // The netlab script execs down to cpe-sim itself, so this is the simulator's own process id.
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    std::filesystem::remove(control_);
}

std::optional<sim::JsonValue> SimProcess::Request(const std::string& request) const {
    return sim::ControlJson(control_, request, std::chrono::seconds(10));
}

sim::JsonValue SimProcess::Device(const std::string& mac) const {
    return Request("device " + mac).value_or(sim::JsonValue{});
}

sim::JsonValue SimProcess::Dump() const { return Request("dump").value_or(sim::JsonValue{}); }

Utility::Utility() {
    database_ = std::filesystem::temp_directory_path() / ("cpe-lab-store-" + std::to_string(::getpid()) + ".db");
    store_ = std::make_unique<CSqlManagement>(database_);
    EngineConfig config;
    config.adapters = std::make_shared<LocalAdapterLibrary>(CPE_LOCAL_ADAPTER_LIBRARY);
    engine_ = std::make_unique<CNetManagement>(*store_, config);
    started_ = !store_->OpenFailed() && engine_->Start();
}

Utility::~Utility() {
    engine_->Shutdown();
    engine_.reset();
    store_.reset();
}

std::size_t Utility::RowCount() {
    int pages = 0, online = 0;
    std::vector<ap_info_stu> page;
    if (!store_->GetDevicePage(CSqlManagement::kSortMac, true, 1, 1, {}, pages, online, page))
        return 0;
    return static_cast<std::size_t>(pages);
}

std::optional<ap_info_stu> Utility::Row(const std::string& mac) {
    ap_info_stu r{};
    // A missing row reads as an all-zero record.
    if (!store_->GetDevice(mac, r) || r.mac[0] == '\0')
        return std::nullopt;
    return r;
}

std::optional<ap_online_stu> Utility::OnlineEntry(const std::string& mac) {
    for (const auto& e : engine_->OnlineList())
        if (e.MacText() == mac)
            return e;
    return std::nullopt;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit, std::chrono::milliseconds step) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(step);
    }
}

sim::JsonValue KernelUdpCounters() { return sim::ParseJson(sim::KernelUdpCountersJson()).value_or(sim::JsonValue{}); }

void BroadcastSearch(const LabEnv& lab) {
    platform::UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const int one = 1;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    for (const std::string& address : lab.utilAddresses)
        if (const auto broadcast = BroadcastOf(address, "255.255.0.0"))
            SendPacket(DefaultPayloadKey(), fd.Get(), *broadcast, 9786, MessageType::search, nullptr, 0);
}

std::map<std::uint16_t, std::uint64_t> UdpDropsByPort() {
    // "sl local_address rem_address st tx:rx tr tm->when retrnsmt uid timeout inode ref pointer drops"
    std::map<std::uint16_t, std::uint64_t> drops;
    std::ifstream in("/proc/net/udp");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, skip;
        fields >> slot >> local;
        for (int i = 0; i < 10; ++i)
            fields >> skip;
        std::uint64_t dropped = 0;
        fields >> dropped;
        const auto colon = local.find(':');
        if (colon == std::string::npos)
            continue;
        const auto port = static_cast<std::uint16_t>(std::stoul(local.substr(colon + 1), nullptr, 16));
        drops[port] += dropped;
    }
    return drops;
}

std::optional<ProcessMemory> ReadMemory(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    if (!in)
        return std::nullopt;
    ProcessMemory memory;
    for (std::string name; in >> name;) {
        std::uint64_t value = 0;
        if (name == "VmRSS:" && in >> value)
            memory.rssKiB = value;
        else if (name == "VmHWM:" && in >> value)
            memory.peakKiB = value;
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return memory;
}

bool ResetPeakMemory(pid_t pid) {
    std::ofstream out("/proc/" + std::to_string(pid) + "/clear_refs");
    return static_cast<bool>(out << "5" << std::flush);
}

std::optional<std::size_t> CountDeviceRows(const std::filesystem::path& databaseFile) {
    const auto copy = std::filesystem::temp_directory_path() / ("cpe-lab-rows-" + std::to_string(::getpid()) + ".db");
    std::error_code error;
    std::filesystem::copy_file(databaseFile, copy, std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        return std::nullopt;
    std::optional<std::size_t> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* count = nullptr;
    if (sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "select count(*) from ap_info", -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW)
        rows = static_cast<std::size_t>(sqlite3_column_int64(count, 0));
    sqlite3_finalize(count);
    sqlite3_close(db);
    std::filesystem::remove(copy, error);
    return rows;
}

}  // namespace cpe::lab
