#include "cli/discovery_loop.h"

#include <algorithm>
#include <chrono>

#include "engine/net_management.h"
#include "protocol/codes.h"
#include "store/sql_management.h"

namespace cpe::cli {
namespace {

constexpr std::chrono::milliseconds kTick{1000};

// The identified device a reference names, from the online list, or null.
const ap_online_stu* Identified(const std::vector<ap_online_stu>& online, const DeviceRef& ref) {
    for (const ap_online_stu& entry : online) {
        if (entry.state != COnlineList::kStateIdentified)
            continue;
        if (ref.mac.empty() ? entry.IpText() == ref.ip : entry.MacText() == ref.mac)
            return &entry;
    }
    return nullptr;
}

}  // namespace

bool RunDiscovery(Session& session, int seconds, const std::string& label,
                  const std::function<bool(const actions::DeviceCounts&)>& enough) {
    actions::DiscoveryRun run(session.Engine(), seconds);
    ProgressLine progress(session.Output());
    run.Start();
    while (session.Signals().Sleep(kTick)) {
        const actions::DiscoveryStep step = run.Tick();
        const actions::DeviceCounts counts = actions::CountDevices(session.Engine());
        progress.Show(label + ": " + std::to_string(run.Ticks()) + " s, " + std::to_string(counts.identified) +
                      " identified, " + std::to_string(counts.seen) + " answering");
        if (step == actions::DiscoveryStep::kFinished || enough(counts))
            return true;
    }
    return false;
}

FoundDevices FindDevices(Session& session, const std::vector<DeviceRef>& named, int seconds, bool settle) {
    FoundDevices result;
    actions::QuietWatch quiet;
    const auto resolve = [&] {
        result.found.clear();
        result.missing.clear();
        const std::vector<ap_online_stu> online = session.Engine().OnlineList();
        for (const DeviceRef& ref : named) {
            const ap_online_stu* entry = Identified(online, ref);
            FoundDevice device;
            // Identified, and its record already in the store.
            if (entry == nullptr || !session.Store().GetDevice(entry->MacText(), device.record) ||
                device.record.mac[0] == '\0') {
                result.missing.push_back(ref);
                continue;
            }
            device.mac = entry->MacText();
            device.ip = entry->IpText();
            device.model = ModelCode(ModelName(device.record.ap_type.get()));
            const bool twice = std::any_of(result.found.begin(), result.found.end(),
                                           [&](const FoundDevice& d) { return d.mac == device.mac; });
            if (!twice)
                result.found.push_back(std::move(device));
        }
        return result.missing.empty();
    };
    const std::string label =
        "looking for " + std::to_string(named.size()) + (named.size() == 1 ? " device" : " devices");
    result.interrupted = !RunDiscovery(session, seconds, label, [&](const actions::DeviceCounts& counts) {
        const bool allFound = resolve();
        const bool quietNow = quiet.Quiet(counts);
        return allFound && (!settle || quietNow);
    });
    if (result.interrupted)
        return result;
    resolve();
    for (const DeviceRef& ref : result.missing)
        session.Output().Error(ref.text + ": no such device answered");
    return result;
}

std::string DeviceLabel(const FoundDevice& device) { return device.mac + " " + device.ip; }

std::string StatusWord(int status) {
    const std::string_view key = StatusKey(status);
    return key.empty() ? std::to_string(status) : std::string(key);
}

}  // namespace cpe::cli
