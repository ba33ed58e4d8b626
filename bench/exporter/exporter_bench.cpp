// What cpe-cli exporter costs with 10,000 devices online: the time of a scrape (Prometheus text
// and OpenMetrics) against the baseline of a request for its index page from the same server (the
// HTTP round trip alone), its peak memory, and the processor time it takes between scrapes while
// it searches every 3 s and the devices heartbeat every 5 s.
#include <signal.h>

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/cli/cli_process.h"
#include "tests/e2e/lab_support.h"
#include "tests/support/free_port.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace cpe;
using namespace std::chrono_literals;

constexpr std::size_t kDevices = 10000;
constexpr int kScrapes = 15;
constexpr double kTargetScrapeMs = 100.0;
constexpr double kTargetRssMiB = 150.0;
constexpr auto kIdleWindow = 12s;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Milliseconds of each request, sorted.
std::vector<double> Time(httplib::Client& client, const char* path, const httplib::Headers& headers, int times,
                         std::size_t& bytes) {
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        const auto start = Clock::now();
        const auto res = client.Get(path, headers);
        ms.push_back(Ms(Clock::now() - start));
        bytes = res ? res->body.size() : 0;
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

// User and system time of a process so far, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::stod(field);
        if (i == 15) {
            stime = std::stod(field);
            break;
        }
    }
    return (utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long Online(httplib::Client& client) {
    const auto res = client.Get("/metrics");
    if (!res)
        return -1;
    constexpr std::string_view kLine = "\ncpe_exporter_devices_online ";
    const std::size_t at = res->body.find(kLine);
    return at == std::string::npos ? -1 : std::stol(res->body.substr(at + kLine.size()));
}

}  // namespace

int main() {
    const auto env = lab::BenchLab("expbench", "exporter_bench");
    if (!env)
        return lab::kNotInLab;
    lab::SimProcess sim(*env, {"--devices", std::to_string(kDevices)});
    if (!sim.Ready()) {
        std::fprintf(stderr, "bench: cpe-sim did not start\n");
        return 1;
    }
    test::TempDir runtime;
    const std::uint16_t port = test::FreeLoopbackPort(SOCK_STREAM);
    test::CliProcess exporter(CPE_CLI_BINARY, {"exporter", "--listen", "127.0.0.1:" + std::to_string(port)},
                              runtime.path());
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10s);
    const auto start = Clock::now();
    long online = -1;
    while (Clock::now() - start < 120s && (online = Online(client)) < static_cast<long>(kDevices))
        std::this_thread::sleep_for(1s);
    if (online != static_cast<long>(kDevices)) {
        std::fprintf(stderr, "bench: the exporter shows %ld of %zu devices\n", online, kDevices);
        return 1;
    }
    const double discovered = std::chrono::duration<double>(Clock::now() - start).count();

    std::size_t indexBytes = 0, textBytes = 0, openBytes = 0;
    const auto index = Time(client, "/", {}, kScrapes, indexBytes);
    const auto text = Time(client, "/metrics", {}, kScrapes, textBytes);
    const auto open =
        Time(client, "/metrics", {{"Accept", "application/openmetrics-text; version=1.0.0"}}, kScrapes, openBytes);

    const double cpuBefore = CpuSeconds(exporter.Pid());
    const auto idleStart = Clock::now();
    std::this_thread::sleep_for(kIdleWindow);
    const double cpuShare =
        (CpuSeconds(exporter.Pid()) - cpuBefore) / std::chrono::duration<double>(Clock::now() - idleStart).count();
    const auto memory = lab::ReadMemory(exporter.Pid());
    const double peakMiB = memory ? static_cast<double>(memory->peakKiB) / 1024.0 : 0;
    exporter.Signal(SIGTERM);
    exporter.Wait(20s);

    const auto median = [](const std::vector<double>& ms) { return ms[ms.size() / 2]; };
    std::printf("\ncpe-cli exporter, %zu simulated devices online on 2 subnets (all shown after %.1f s)\n\n", kDevices,
                discovered);
    std::printf("| request | body | median | worst | ratio to the index page |\n|---|---:|---:|---:|---:|\n");
    std::printf("| GET / (baseline) | %zu B | %.2f ms | %.2f ms | 1.0 |\n", indexBytes, median(index), index.back());
    std::printf("| GET /metrics (Prometheus text) | %.1f MiB | %.2f ms | %.2f ms | %.1f |\n",
                static_cast<double>(textBytes) / 1048576.0, median(text), text.back(), median(text) / median(index));
    std::printf("| GET /metrics (OpenMetrics) | %.1f MiB | %.2f ms | %.2f ms | %.1f |\n",
                static_cast<double>(openBytes) / 1048576.0, median(open), open.back(), median(open) / median(index));
    std::printf("\nPeak memory of the exporter: %.1f MiB\n", peakMiB);
    std::printf("Processor time between scrapes (searches every 3 s, heartbeats every 5 s): %.1f %% of one core\n",
                cpuShare * 100.0);
    std::printf("Targets: scrape median %.1f ms below %.0f ms: %s; peak memory %.1f MiB below %.0f MiB: %s\n",
                median(text), kTargetScrapeMs, median(text) < kTargetScrapeMs ? "met" : "MISSED", peakMiB,
                kTargetRssMiB, peakMiB < kTargetRssMiB ? "met" : "MISSED");
    return 0;
}
