// TFTP helper against tftpd-hpa: ten simulated devices fetch one 16 MiB file at once from each
// server in turn (same folder, same address, same client), in lock-step with 512-byte and
// 1468-byte blocks, and from our helper also with a window of 8 blocks (RFC 7440), which
// tftpd-hpa does not offer. Prints MiB/s per case (all ten copies over the wall time, median of
// three runs), the ratio ours/tftpd-hpa, and the HTTP helper under the same load. Then a hundred
// devices ask our helper for the file and vanish: what their transfers hold in the helper while
// they wait out the give-up time, and the ten devices' rate meanwhile against their rate without.
// Runs inside the network lab: the servers on the utility side, the devices on the device side.
//
//   tftp_bench --helpers DIR --clients PATH --in-tftpd PATH
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ini_file.h"
#include "platform/process.h"
#include "platform/unique_fd.h"
#include "protocol/file_transfer.h"
#include "tests/support/read_to_end.h"

namespace {

using namespace cpe;
constexpr std::size_t kFileBytes = 16u << 20;
constexpr int kClients = 10;
constexpr int kRuns = 5;
constexpr std::uint16_t kBaselinePort = 1069;  // tftpd-hpa runs beside ours, on the same address
constexpr int kAbandoned = 100;

struct Lab {
    std::string name, script, utilAddress, deviceBase;
};

std::optional<Lab> CurrentLab() {
    const char* name = std::getenv("CPE_LAB_NAME");
    const char* script = std::getenv("CPE_LAB_SCRIPT");
    const char* util = std::getenv("CPE_LAB_UTIL_ADDRS");
    const char* devices = std::getenv("CPE_LAB_DEVICE_SUBNETS");
    if (!name || !script || !util || !devices)
        return std::nullopt;
    std::istringstream u(util), d(devices);
    Lab lab{name, script, {}, {}};
    u >> lab.utilAddress;
    d >> lab.deviceBase;
    lab.deviceBase = lab.deviceBase.substr(0, lab.deviceBase.find('/'));
    return lab;
}

// Resident memory of a process in MiB, from /proc.
double ResidentMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::strtod(line.c_str() + 6, nullptr) / 1024;
    return 0;
}

struct Case {
    std::string label;
    std::vector<std::string> clientArgs;
};

class Bench {
public:
    Bench(Lab lab, std::map<std::string, std::string> args) : lab_(std::move(lab)), args_(std::move(args)) {
        char pattern[] = "/tmp/cpe-tftp-bench-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        ::chmod(folder_.c_str(), 0755);  // tftpd-hpa serves as its own unprivileged user
        std::vector<char> bytes(kFileBytes);
        std::mt19937 random(14);
        for (auto& b : bytes)
            b = static_cast<char>(random());
        platform::UniqueFd fd(::open((folder_ / "fw.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        if (::write(fd.Get(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::exit(1);
    }
    ~Bench() {
        std::filesystem::remove_all(folder_);
        for (const auto& ini : inis_)
            std::filesystem::remove(ini);
    }

    platform::ChildProcess StartOurs(bool http) {
        const auto ini = folder_.parent_path() / (folder_.filename().string() + (http ? "-http.ini" : "-tftp.ini"));
        inis_.push_back(ini);
        if (http) {
            platform::WritePrivateProfileString("SERVER", "Directory", folder_.string(), ini);
        } else {
            platform::WritePrivateProfileString("TFTPD32", "BaseDirectory", folder_.string(), ini);
            platform::WritePrivateProfileString("TFTPD32", "LocalIP", lab_.utilAddress, ini);
        }
        const std::string helper = args_["--helpers"] + (http ? "/cpe-httpd" : "/cpe-tftpd");
        return Start({helper, {"--ini", ini.string()}, {}, true, {}});
    }
    platform::ChildProcess StartTftpdHpa() {
        return Start({args_["--in-tftpd"],
                      {"--foreground", "--address", lab_.utilAddress + ":" + std::to_string(kBaselinePort), "--secure",
                       "--user", "tftp", folder_.string()},
                      {},
                      true,
                      {}});
    }

    // MiB/s of all ten copies over the wall time of one run; nothing when a fetch failed.
    std::optional<double> Measure(const Case& c) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return std::nullopt;
        platform::UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
        std::vector<std::string> args = {"exec",         "--lab",
                                         lab_.name,      "dev",
                                         "--",           args_["--clients"],
                                         "--server",     lab_.utilAddress,
                                         "--file",       "fw.bin",
                                         "--expect",     (folder_ / "fw.bin").string(),
                                         "--clients",    std::to_string(kClients),
                                         "--local-base", lab_.deviceBase};
        args.insert(args.end(), c.clientArgs.begin(), c.clientArgs.end());
        auto child = Start({lab_.script, args, {}, true, {{writeEnd.Get(), STDOUT_FILENO}}}, false);
        writeEnd.Reset();
        const std::string out = cpe::test::ReadToEnd(readEnd.Get());
        if (platform::DescribeWaitStatus(child.Wait()) != "exit status 0")
            return std::nullopt;
        const double seconds = std::strtod(out.c_str(), nullptr);
        if (seconds <= 0)
            return std::nullopt;
        return kClients * (kFileBytes / 1048576.0) / seconds;
    }

    // `count` devices ask our helper for the file and never answer; gone with the result.
    platform::ChildProcess Abandon(int count) {
        return Start(
            {lab_.script,
             {"exec", "--lab", lab_.name, "dev", "--", args_["--clients"], "--server", lab_.utilAddress, "--port",
              std::to_string(kTftpServerPort), "--file", "fw.bin", "--expect", (folder_ / "fw.bin").string(),
              "--local-base", lab_.deviceBase, "--abandon", std::to_string(count)},
             {},
             true,
             {}},
            false);
    }

private:
    static platform::ChildProcess Start(const platform::LaunchRequest& request, bool server = true) {
        auto started = platform::ChildProcess::Launch(request);
        if (auto* why = std::get_if<std::string>(&started)) {
            std::fprintf(stderr, "tftp_bench: %s\n", why->c_str());
            std::exit(1);
        }
        auto child = std::move(std::get<platform::ChildProcess>(started));
        if (!server)
            return child;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // until it listens
        if (!child.Running()) {
            std::fprintf(stderr, "tftp_bench: %s ended at once\n", request.path.c_str());
            std::exit(1);
        }
        return child;
    }

    Lab lab_;
    std::map<std::string, std::string> args_;
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> inis_;
};

}  // namespace

int main(int argc, char** argv) {
    const auto lab = CurrentLab();
    if (!lab) {
        std::fprintf(stderr, "tftp_bench: SKIPPED: run me through tools/netlab.sh run\n");
        return 77;
    }
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2)
        args[argv[i]] = argv[i + 1];
    Bench bench(*lab, args);

    const std::string oursPort = std::to_string(kTftpServerPort), hpaPort = std::to_string(kBaselinePort);
    struct Row {
        Case ours, baseline;
        std::vector<double> oursRates, baselineRates;
    };
    std::vector<Row> rows = {
        {{"blksize 512 (lock-step)", {"--port", oursPort}}, {"", {"--port", hpaPort}}, {}, {}},
        {{"blksize 1468 (lock-step)", {"--port", oursPort, "--blksize", "1468"}},
         {"", {"--port", hpaPort, "--blksize", "1468"}},
         {},
         {}},
        {{"blksize 1468, windowsize 8", {"--port", oursPort, "--blksize", "1468", "--windowsize", "8"}}, {}, {}, {}},
        {{"HTTP GET (cpe-httpd)", {"--port", std::to_string(kHttpServerPort), "--protocol", "http"}}, {}, {}, {}},
    };
    bool allFetched = true;
    double idleMiB = 0, heldMiB = 0;
    std::vector<double> besideAbandoned;
    {
        auto tftp = bench.StartOurs(false);
        auto http = bench.StartOurs(true);
        auto baseline = bench.StartTftpdHpa();
        // Ours and the baseline take turns, so that a change in the machine's load between runs
        // does not favour either.
        for (int run = 0; run < kRuns; ++run) {
            for (auto& row : rows) {
                for (auto [c, rates] :
                     {std::pair{&row.ours, &row.oursRates}, std::pair{&row.baseline, &row.baselineRates}}) {
                    if (c->clientArgs.empty())
                        continue;
                    const auto rate = bench.Measure(*c);
                    allFetched = allFetched && rate.has_value();
                    if (rate)
                        rates->push_back(*rate);
                }
            }
        }
        idleMiB = ResidentMiB(tftp.Pid());
        auto vanished = bench.Abandon(kAbandoned);
        std::this_thread::sleep_for(std::chrono::seconds(2));  // past their first silent period
        for (int run = 0; run < 3; ++run) {
            const auto rate = bench.Measure(rows[1].ours);
            allFetched = allFetched && rate.has_value();
            if (rate)
                besideAbandoned.push_back(*rate);
            heldMiB = std::max(heldMiB, ResidentMiB(tftp.Pid()));
        }
    }
    struct Figures {
        std::optional<double> median;
        std::string text;  // "68.3 (61.0-70.2)"
    };
    auto figures = [](std::vector<double> v) {
        if (v.empty())
            return Figures{std::nullopt, "failed"};
        std::sort(v.begin(), v.end());
        char text[64];
        std::snprintf(text, sizeof text, "%.1f (%.0f-%.0f)", v[v.size() / 2], v.front(), v.back());
        return Figures{v[v.size() / 2], text};
    };
    auto ratio = [](const std::optional<double>& a, const std::optional<double>& b) {
        if (!a || !b)
            return std::string("-");
        char text[32];
        std::snprintf(text, sizeof text, "%.2fx", *a / *b);
        return std::string(text);
    };
    std::printf("\n%d devices fetch one 16 MiB file at once: MiB/s over all copies, median (lowest-highest) of "
                "%d runs taken in turns\n",
                kClients, kRuns);
    std::printf("%-28s %20s %20s %9s\n", "case", "cpe-tftpd", "tftpd-hpa", "ours/hpa");
    std::vector<Figures> ours, baseline;
    for (const auto& row : rows) {
        ours.push_back(figures(row.oursRates));
        baseline.push_back(row.baseline.clientArgs.empty() ? Figures{std::nullopt, "n/a"} : figures(row.baselineRates));
        std::printf("%-28s %20s %20s %9s\n", row.ours.label.c_str(), ours.back().text.c_str(),
                    baseline.back().text.c_str(), ratio(ours.back().median, baseline.back().median).c_str());
    }
    const auto ours512 = ours[0].median, hpa512 = baseline[0].median;
    const auto ours1468 = ours[1].median, hpa1468 = baseline[1].median;
    const auto oursWindow = ours[2].median;
    std::printf("blksize 1468 + windowsize 8 against lock-step 512: %s tftpd-hpa's, %s ours\n",
                ratio(oursWindow, hpa512).c_str(), ratio(oursWindow, ours512).c_str());
    const auto beside = figures(besideAbandoned);
    std::printf("%d devices vanished after asking: the helper holds %.1f MiB (%.1f MiB idle); the %d devices "
                "fetch at %s MiB/s beside them, %s their rate without\n",
                kAbandoned, heldMiB, idleMiB, kClients, beside.text.c_str(), ratio(beside.median, ours1468).c_str());
    const bool abandonedMet = heldMiB - idleMiB < 16 && beside.median && ours1468 && *beside.median >= 0.8 * *ours1468;
    std::printf("targets for the vanished devices (< 16 MiB held, >= 0.8x the rate without): %s\n",
                abandonedMet ? "met" : "MISSED");
    const bool met = ours512 && hpa512 && ours1468 && hpa1468 && oursWindow && *ours512 >= *hpa512 &&
                     *ours1468 >= *hpa1468 && *oursWindow >= 4 * *hpa512;
    std::printf("targets (>= 1.0x tftpd-hpa at each common setting, >= 4x lock-step 512 with the window): %s\n",
                met ? "met" : "MISSED");
    return allFetched ? 0 : 1;
}
