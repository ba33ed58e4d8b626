// cpe-sim: a network of simulated devices. See sim/README.md.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace {

cpe::sim::Simulator* g_running = nullptr;

void OnSignal(int) {
    if (g_running)
        g_running->RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = cpe::sim::ParseSimOptions(args);
    if (auto* message = std::get_if<std::string>(&parsed)) {
        const bool help = message->rfind("usage:", 0) == 0;
        std::fprintf(help ? stdout : stderr, "%s\n", message->c_str());
        return help ? 0 : 2;
    }
    const auto& options = std::get<cpe::sim::SimOptions>(parsed);
    cpe::sim::Simulator simulator(options);
    if (const std::string error = simulator.Open(); !error.empty()) {
        std::fprintf(stderr, "cpe-sim: %s\n", error.c_str());
        return 1;
    }
    g_running = &simulator;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::fprintf(stderr, "cpe-sim: %u devices on %zu subnet(s)%s\n", options.devices, options.subnets.size(),
                 options.controlPath.empty() ? "" : (", control " + options.controlPath).c_str());
    simulator.Run();
    g_running = nullptr;
    return 0;
}
