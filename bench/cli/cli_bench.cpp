// How long cpe-cli takes to find and print 10,000 devices, and how much memory it needs: the
// whole program (start, discovery until the network is quiet, store read, JSON output, shutdown)
// as a scheduler runs it, three times. The baseline is the engine's own discovery in this
// process (Search every 3 s until every device is a row in the store), on the same simulator.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/cli_process.h"
#include "tests/e2e/lab_support.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace cpe;

constexpr std::size_t kDevices = 10000;
constexpr int kRuns = 3;
constexpr double kTargetSeconds = 5.0;
constexpr double kTargetRssMiB = 200.0;

struct CliRun {
    double seconds = 0;
    double rssMiB = 0;
    std::size_t printed = 0;
    int status = -1;
};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The engine in this process, searching every 3 s: seconds until every device is a row.
double EngineBaseline() {
    lab::Utility utility;
    if (!utility.Started())
        return -1;
    const auto start = Clock::now();
    auto nextSearch = start;
    while (Seconds(start) < 30) {
        if (Clock::now() >= nextSearch) {
            utility.Engine().Search();
            nextSearch += std::chrono::seconds(3);
        }
        if (utility.RowCount() >= kDevices)
            return Seconds(start);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

CliRun RunCli(const std::filesystem::path& runtime) {
    CliRun run;
    const auto start = Clock::now();
    const test::CliResult result = test::RunCli(CPE_CLI_BINARY, {"discover", "--until-stable", "--format", "json"},
                                                runtime, std::chrono::seconds(60));
    run.seconds = Seconds(start);
    run.status = result.status;
    run.rssMiB = static_cast<double>(result.peakRssKiB) / 1024.0;
    // One device a line, each once.
    std::set<std::string> macs;
    for (std::size_t at = result.out.find("\"mac\":\""); at != std::string::npos;
         at = result.out.find("\"mac\":\"", at + 1))
        macs.insert(result.out.substr(at + 7, 17));
    run.printed = macs.size();
    return run;
}

}  // namespace

int main() {
    const auto env = lab::BenchLab("clibench", "cli_bench");
    if (!env)
        return lab::kNotInLab;
    // Heartbeats stay out of the measurement's way; the devices answer at once.
    lab::SimProcess sim(*env, {"--devices", std::to_string(kDevices), "--heartbeat-ms", "60000"});
    if (!sim.Ready()) {
        std::fprintf(stderr, "bench: cpe-sim did not start\n");
        return 1;
    }
    const double baseline = EngineBaseline();
    test::TempDir runtime;
    std::vector<CliRun> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(RunCli(runtime.path()));

    std::printf("\ncpe-cli discover --until-stable --format json, %zu simulated devices on 2 subnets\n\n", kDevices);
    std::printf("| run | exit | devices printed | wall time | peak RSS | ratio to the engine's discovery |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const CliRun& r = runs[i];
        std::printf("| %zu | %d | %zu | %.2f s | %.1f MiB | %.1f |\n", i + 1, r.status, r.printed, r.seconds, r.rssMiB,
                    baseline > 0 ? r.seconds / baseline : 0.0);
    }
    std::printf("\nBaseline: the engine in this process identified all %zu devices in %.2f s\n", kDevices, baseline);
    std::vector<CliRun> sorted = runs;
    std::sort(sorted.begin(), sorted.end(), [](const CliRun& a, const CliRun& b) { return a.seconds < b.seconds; });
    const CliRun& median = sorted[sorted.size() / 2];
    const bool allPrinted =
        std::all_of(runs.begin(), runs.end(), [](const CliRun& r) { return r.status == 0 && r.printed == kDevices; });
    const double peak = std::max_element(runs.begin(), runs.end(), [](const CliRun& a, const CliRun& b) {
                            return a.rssMiB < b.rssMiB;
                        })->rssMiB;
    std::printf("Targets: every device printed in every run: %s; median %.2f s within %.0f s: %s; peak RSS %.1f MiB "
                "below %.0f MiB: %s\n",
                allPrinted ? "met" : "MISSED", median.seconds, kTargetSeconds,
                median.seconds <= kTargetSeconds ? "met" : "MISSED", peak, kTargetRssMiB,
                peak < kTargetRssMiB ? "met" : "MISSED");
    return 0;
}
