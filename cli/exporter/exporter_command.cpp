// exporter: the status page's discovery without end, and the devices served to Prometheus.
#include <algorithm>
#include <chrono>
#include <thread>

#include "actions/status/discovery_run.h"
#include "cli/commands.h"
#include "cli/exporter/fleet_cache.h"
#include "cli/exporter/metrics_server.h"

namespace cpe::cli {
namespace {

constexpr std::chrono::milliseconds kTick{1000};

}  // namespace

int RunExporter(Session& session, const Invocation& run) {
    MetricsServerOptions options;
    options.address = run.listenAddress;
    options.port = run.listenPort;
    FleetCache cache;
    MetricsServer server(options, [&](ExpositionFormat format) { return cache.Render(session.Engine(), format); });
    if (const std::string why = server.Listen(); !why.empty()) {
        session.Output().Error("cannot start: " + why);
        return kExitCannotStart;
    }
    std::thread serving([&server] { server.Run(); });
    session.Output().Error("serving http://" + run.listenAddress + ":" + std::to_string(server.Port()) + "/metrics");

    // Runs of the status page's discovery, one after the other: each forgets the devices that
    // answered a search but never sent their record, and the engine's ageing removes the devices
    // whose heartbeats stopped.
    const int searchTicks = run.searchSeconds;
    const int runTicks = searchTicks * std::max(1, actions::DiscoveryRun::kRunTicks / searchTicks);
    actions::DiscoveryRun discovery(session.Engine(), runTicks, searchTicks);
    discovery.Start();
    while (session.Signals().Sleep(kTick)) {
        if (discovery.Tick() == actions::DiscoveryStep::kFinished)
            discovery.Start();
        cache.Refresh(session.Store(), session.Engine(), &session.Inventory());
    }
    server.RequestStop();
    serving.join();
    return Interrupted(session);
}

}  // namespace cpe::cli
