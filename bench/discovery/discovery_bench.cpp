// How long the utility takes to identify every device of a network: from the first Search until
// N devices are rows in the store, searching again every 3 s as the status page does, for 100,
// 1,000 and 10,000 devices on two subnets, without and with 5 % loss in both directions. Also
// counts the datagrams lost on each side: in the receive buffers of either namespace, in the
// engine's queues, and by the injected loss. Last, the program itself (cpe-manager, offscreen,
// its status page shown) identifies 10,000 devices: its peak resident memory.
#include <signal.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/lab_support.h"
#include "tests/e2e/program_copy.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace cpe;

struct Run {
    std::size_t devices;
    double loss;
    std::size_t identified = 0;
    double firstCycleShare = 0;  // fraction identified within the first 3 s
    double seconds = -1;         // until all were identified; -1: not within the limit
    int searches = 0;
    double storeBaseline = 0;  // seconds the store alone takes to save N device records
    std::int64_t utilBufferDrops = 0, devBufferDrops = 0, injectedIn = 0, injectedOut = 0;
    std::array<std::uint64_t, 3> queueDrops{};  // search replies, heartbeats, replies
};

constexpr auto kCycle = std::chrono::seconds(3);
constexpr auto kLimit = std::chrono::seconds(30);  // one discovery run of the status page

std::int64_t Counter(const sim::JsonValue& udp, const char* name) { return udp[name].Int(); }

// The baseline: the same number of device records saved straight into a fresh store, in this
// process, with no network in between.
double StoreBaseline(std::size_t devices) {
    const auto file =
        std::filesystem::temp_directory_path() / ("cpe-bench-baseline-" + std::to_string(::getpid()) + ".db");
    CSqlManagement store(file);
    const auto start = Clock::now();
    for (std::size_t i = 0; i < devices; ++i) {
        ap_info_stu r{};
        std::snprintf(r.mac, sizeof r.mac, "02:c9:5e:%02zx:%02zx:%02zx", (i + 1) >> 16 & 0xFF, (i + 1) >> 8 & 0xFF,
                      (i + 1) & 0xFF);
        r.ip = {10, 77, static_cast<std::uint8_t>(64 + i / 254), static_cast<std::uint8_t>(1 + i % 254)};
        r.ap_name.assign("CPE-" + std::to_string(i + 1));
        store.SaveDevice(r);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Run Measure(const lab::LabEnv& env, std::size_t devices, double loss) {
    Run run{devices, loss};
    char lossText[16];
    std::snprintf(lossText, sizeof lossText, "%.3f", loss);
    // Heartbeats stay out of the measurement window's way; the devices answer at once.
    lab::SimProcess sim(env, {"--devices", std::to_string(devices), "--loss", lossText, "--heartbeat-ms", "60000"});
    if (!sim.Ready()) {
        std::fprintf(stderr, "bench: cpe-sim did not start\n");
        std::exit(1);
    }
    lab::Utility utility;
    if (!utility.Started()) {
        std::fprintf(stderr, "bench: the engine could not start\n");
        std::exit(1);
    }
    const auto devBefore = (*sim.Request("stats"))["kernel"];
    const auto utilBefore = lab::KernelUdpCounters();

    const auto start = Clock::now();
    auto nextSearch = start;
    bool firstCycleRead = false;
    while (Clock::now() - start < kLimit) {
        const auto now = Clock::now();
        if (now >= nextSearch) {
            if (run.searches > 0 && !firstCycleRead) {
                run.firstCycleShare = static_cast<double>(utility.RowCount()) / static_cast<double>(devices);
                firstCycleRead = true;
            }
            utility.Engine().Search();
            ++run.searches;
            nextSearch += kCycle;
        }
        run.identified = utility.RowCount();
        if (run.identified >= devices) {
            run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            if (!firstCycleRead)
                run.firstCycleShare = run.seconds <= 3.0 ? 1.0 : 0.0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the status page reads every 1 s
    }
    const auto stats = *sim.Request("stats");
    const auto utilAfter = lab::KernelUdpCounters();
    run.utilBufferDrops = Counter(utilAfter, "RcvbufErrors") - Counter(utilBefore, "RcvbufErrors");
    run.devBufferDrops = Counter(stats["kernel"], "RcvbufErrors") - Counter(devBefore, "RcvbufErrors");
    const auto counters = utility.Engine().Counters();
    run.queueDrops = counters.dropped;
    run.injectedIn = stats["sim"]["dropped_in"].Int();
    run.injectedOut = stats["sim"]["dropped_out"].Int();
    return run;
}

struct ProgramRun {
    std::size_t identified = 0;
    double seconds = -1;
    lab::ProcessMemory atRest, after;
};

// The program with `devices` devices identified: searched for the way its status page does, from
// its side of the lab, then left to show its list for a while (the page host refreshes every 10 s).
ProgramRun MeasureProgram(const lab::LabEnv& env, std::size_t devices) {
    ProgramRun run;
    lab::SimProcess sim(env, {"--devices", std::to_string(devices)});
    lab::ProgramCopy program(CPE_MANAGER_BINARY, CPE_LOCAL_ADAPTER_LIBRARY);
    const pid_t pid = program.Start();
    if (!sim.Ready() ||
        !lab::WaitUntil([] { return lab::UdpDropsByPort().count(9785) > 0; }, std::chrono::seconds(10))) {
        std::fprintf(stderr, "bench: cpe-sim or the program did not start\n");
        std::exit(1);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    run.atRest = lab::ReadMemory(pid).value_or(lab::ProcessMemory{});
    const auto start = Clock::now();
    auto nextSearch = start;
    lab::WaitUntil(
        [&] {
            if (Clock::now() >= nextSearch) {
                lab::BroadcastSearch(env);
                nextSearch += kCycle;
            }
            run.identified = lab::CountDeviceRows(program.Database()).value_or(run.identified);
            return run.identified >= devices;
        },
        std::chrono::seconds(60), std::chrono::milliseconds(500));
    if (run.identified >= devices)
        run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(12));
    run.after = lab::ReadMemory(pid).value_or(lab::ProcessMemory{});
    ::kill(pid, SIGTERM);
    lab::ProgramCopy::WaitExit(pid, std::chrono::seconds(10));
    return run;
}

}  // namespace

int main() {
    const auto env = lab::BenchLab("bench", "discovery_bench");
    if (!env)
        return lab::kNotInLab;
    std::vector<Run> runs;
    for (double loss : {0.0, 0.05})
        for (std::size_t n : {100u, 1000u, 10000u}) {
            runs.push_back(Measure(*env, n, loss));
            Run& r = runs.back();
            r.storeBaseline = StoreBaseline(n);
            std::fprintf(stderr, "bench: %zu devices, loss %.0f %%: %zu identified\n", n, loss * 100, r.identified);
        }

    std::printf("\nDiscovery: first Search until every device is a row in the store (searching every 3 s, "
                "2 subnets)\n\n");
    std::printf("| devices | loss | identified | all identified after | store-only baseline | ratio | "
                "in 1st 3-s cycle | searches | lost: utility rcvbuf | lost: engine queues 9785/9787/9788 | "
                "lost: device rcvbuf | injected loss in/out |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Run& r : runs) {
        char time[32];
        if (r.seconds >= 0)
            std::snprintf(time, sizeof time, "%.2f s", r.seconds);
        else
            std::snprintf(time, sizeof time, "> %lld s", static_cast<long long>(kLimit.count()));
        char ratio[16] = "-";
        if (r.seconds >= 0 && r.storeBaseline > 0)
            std::snprintf(ratio, sizeof ratio, "%.1f", r.seconds / r.storeBaseline);
        std::printf(
            "| %zu | %.0f %% | %zu | %s | %.2f s | %s | %.1f %% | %d | %lld | %llu/%llu/%llu | %lld | %lld / %lld |\n",
            r.devices, r.loss * 100, r.identified, time, r.storeBaseline, ratio, r.firstCycleShare * 100, r.searches,
            static_cast<long long>(r.utilBufferDrops), static_cast<unsigned long long>(r.queueDrops[0]),
            static_cast<unsigned long long>(r.queueDrops[1]), static_cast<unsigned long long>(r.queueDrops[2]),
            static_cast<long long>(r.devBufferDrops), static_cast<long long>(r.injectedIn),
            static_cast<long long>(r.injectedOut));
    }
    const auto target = [&](std::size_t n, double loss, double limit) {
        for (const Run& r : runs)
            if (r.devices == n && r.loss == loss)
                return r.seconds >= 0 && r.seconds <= limit ? "met" : "MISSED";
        return "not run";
    };
    std::printf("\nTargets: 1,000 devices within one 3-s cycle without loss: %s; 10,000 within 10 s: %s\n",
                target(1000, 0.0, 3.0), target(10000, 0.0, 10.0));

    constexpr std::size_t kProgramDevices = 10000;
    const ProgramRun program = MeasureProgram(*env, kProgramDevices);
    constexpr std::uint64_t kMemoryTargetKiB = 150 * 1024;
    std::printf("\nThe program (cpe-manager, offscreen, status page shown) with %zu of %zu devices identified%s: "
                "peak RSS %.1f MiB (at rest before the search: %.1f MiB); target < 150 MiB: %s\n",
                program.identified, kProgramDevices,
                program.seconds >= 0 ? (" after " + std::to_string(static_cast<int>(program.seconds)) + " s").c_str()
                                     : "",
                static_cast<double>(program.after.peakKiB) / 1024, static_cast<double>(program.atRest.rssKiB) / 1024,
                program.identified >= kProgramDevices && program.after.peakKiB < kMemoryTargetKiB ? "met" : "MISSED");
    return 0;
}
