#include "actions/status/discovery_run.h"

#include "engine/net_management.h"

namespace cpe::actions {

DiscoveryRun::DiscoveryRun(CNetManagement& engine, int runTicks, int searchEveryTicks)
    : engine_(engine), runTicks_(runTicks), searchEveryTicks_(searchEveryTicks) {}

void DiscoveryRun::Start() {
    running_ = true;
    ticks_ = 0;
    engine_.ClearDiscovered();
    engine_.Search();
}

DiscoveryStep DiscoveryRun::Tick() {
    if (!running_)
        return DiscoveryStep::kFinished;
    ++ticks_;
    if (ticks_ >= runTicks_) {
        running_ = false;
        return DiscoveryStep::kFinished;
    }
    if (ticks_ % searchEveryTicks_ != 0)
        return DiscoveryStep::kWaited;
    engine_.Search();
    return DiscoveryStep::kSearched;
}

DeviceCounts CountDevices(CNetManagement& engine) {
    DeviceCounts counts;
    for (const ap_online_stu& entry : engine.OnlineList()) {
        if (entry.state == COnlineList::kStateIdentified)
            ++counts.identified;
        else
            ++counts.seen;
    }
    return counts;
}

bool QuietWatch::Quiet(const DeviceCounts& counts) {
    unchanged_ = counts == last_ ? unchanged_ + 1 : 0;
    last_ = counts;
    return unchanged_ >= quietTicks_;
}

}  // namespace cpe::actions
