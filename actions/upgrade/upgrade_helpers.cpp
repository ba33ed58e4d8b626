#include "actions/upgrade/upgrade_helpers.h"

#include "engine/net_management.h"
#include "protocol/codes.h"

namespace cpe::actions {

HelperKind HelperKindFor(int model) { return IsModelSetB(model) ? HelperKind::kFileServer : HelperKind::kTftp; }

HelperPermission CheckUpgradeHelper(const HelperLayout& layout, int model) {
    return CheckHelperPermission(layout, HelperKindFor(model));
}

UpgradeHelperStart StartUpgradeHelper(COperateSystemInfo& helpers, CNetManagement& engine, int model,
                                      const std::string& folder, const std::vector<UpgradeTarget>& queue) {
    UpgradeHelperStart start;
    if (HelperKindFor(model) == HelperKind::kFileServer) {
        start.helper = helpers.StartFileServerHelper(folder);
        return start;
    }
    std::vector<std::string> deviceIps;
    for (const UpgradeTarget& target : queue)
        deviceIps.push_back(target.ip);
    std::vector<std::string> localIps;
    for (const LocalAddress& local : engine.LocalAddressesFor(deviceIps))
        localIps.push_back(local.ip);
    if (localIps.empty()) {
        start.noLocalAddress = true;
        return start;
    }
    start.helper = helpers.StartTftpHelper(folder, localIps);
    return start;
}

std::function<void(std::stop_token)> BeforeFirstBatch(COperateSystemInfo& helpers, int model,
                                                      const UpgradeTimings& timings) {
    if (!IsModelSetB(model))
        return {};
    return [&helpers, timings](std::stop_token stop) { helpers.WaitForFileServer(stop, timings); };
}

}  // namespace cpe::actions
