// A discovery run, as the status page's Search button starts it: the engine forgets the devices
// it has seen but not identified and broadcasts; then the run ticks once a second, broadcasts
// again every third tick and ends after its last tick (30 by default). Whoever presents the run
// owns the timer and calls Tick.
//
// A run may also end early once the network has answered (QuietWatch): the command line's
// --until-stable.
#pragma once

#include <cstddef>

namespace cpe {
class CNetManagement;
}  // namespace cpe

namespace cpe::actions {

// What a tick did.
enum class DiscoveryStep {
    kWaited,    // nothing to do: the presenter may show progress
    kSearched,  // broadcast again: the list shows page 1 afresh
    kFinished,  // the last tick: the run is over
};

class DiscoveryRun {
public:
    static constexpr int kRunTicks = 30;
    static constexpr int kSearchEveryTicks = 3;

    // The exporter searches on a period of its own (searchEveryTicks); the pages never do.
    explicit DiscoveryRun(CNetManagement& engine, int runTicks = kRunTicks, int searchEveryTicks = kSearchEveryTicks);

    // Forgets the devices seen but not identified and broadcasts; the tick count starts at 0.
    void Start();
    // One tick of a running run; a run that is not running only reports kFinished.
    DiscoveryStep Tick();
    // Ends the run before its last tick.
    void Stop() { running_ = false; }

    bool Running() const { return running_; }
    int Ticks() const { return ticks_; }
    int RunTicks() const { return runTicks_; }

private:
    CNetManagement& engine_;
    int runTicks_;
    int searchEveryTicks_;
    int ticks_ = 0;
    bool running_ = false;
};

// How many devices the engine knows at one tick: identified, and only seen (answered a search,
// record not in yet).
struct DeviceCounts {
    std::size_t identified = 0;
    std::size_t seen = 0;

    bool operator==(const DeviceCounts&) const = default;
};

DeviceCounts CountDevices(CNetManagement& engine);

// Tells when the network has answered: after `quietTicks` ticks in a row that brought no new
// device, seen or identified. A tick is one second of the run, so the answer comes as soon as the
// answers to a broadcast have been taken in, not after whole broadcast cycles.
class QuietWatch {
public:
    static constexpr int kQuietTicks = 2;

    explicit QuietWatch(int quietTicks = kQuietTicks) : quietTicks_(quietTicks) {}

    // The counts of this tick; true once the last `quietTicks` ticks changed nothing.
    bool Quiet(const DeviceCounts& counts);

private:
    int quietTicks_;
    int unchanged_ = 0;
    DeviceCounts last_;  // a run starts from no device
};

}  // namespace cpe::actions
