// The helper that serves an upgrade's firmware, chosen by the model being upgraded: the file
// server for model set B, otherwise one TFTP server on each local address that faces a device of
// the waiting queue. Also whether this account may start it, asked before anything starts, and
// the wait the send thread makes before the first request.
#pragma once

#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "actions/upgrade/helper_permission.h"
#include "actions/upgrade/operate_system_info.h"
#include "actions/upgrade/upgrade_plan.h"
#include "actions/upgrade/upgrade_timing.h"

namespace cpe {
class CNetManagement;
}  // namespace cpe

namespace cpe::actions {

struct UpgradeHelperStart {
    // No address of this computer shares a subnet with the devices: nothing could serve them.
    bool noLocalAddress = false;
    HelperStart helper;  // the helper's own result when one was started

    bool Ok() const { return !noLocalAddress && helper.ok; }
};

// The helper an upgrade of `model` serves its file with.
HelperKind HelperKindFor(int model);
// Whether this account can start that helper of `layout` and let it serve its port.
HelperPermission CheckUpgradeHelper(const HelperLayout& layout, int model);

// Starts the helper for `model` serving `folder` to the devices of `queue`.
UpgradeHelperStart StartUpgradeHelper(COperateSystemInfo& helpers, CNetManagement& engine, int model,
                                      const std::string& folder, const std::vector<UpgradeTarget>& queue);

// What the send thread does before the first request of an upgrade of `model`: for model set B
// it waits for the file server; otherwise nothing (an empty function).
std::function<void(std::stop_token)> BeforeFirstBatch(COperateSystemInfo& helpers, int model,
                                                      const UpgradeTimings& timings);

}  // namespace cpe::actions
