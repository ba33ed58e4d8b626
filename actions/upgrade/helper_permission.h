// Whether this account can start an upgrade's helper with the right to serve on its port, asked
// before anything is started or sent. The package lets only the members of one group run the
// helpers and gives the helper files the capability to bind ports below 1024; a build-tree copy
// has neither and works for root, or once a developer gave it the capability by hand. A port
// that needs no privilege (tests give the helpers high ports) needs no capability.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/upgrade/operate_system_info.h"

namespace cpe::actions {

// What the operator is told, as English keys of the language files. Their placeholders, in order:
// the account, the helper, the group, the group again and the account again.
inline constexpr const char* kHelperNotExecutableKey =
    "This account (%s) may not run the upgrade helper %s: only the members of the group %s may. An administrator "
    "adds the account with: sudo usermod -aG %s %s (then log in again). Nothing was sent to the devices.";
// The helper, its port and the helper again.
inline constexpr const char* kHelperNoCapabilityKey =
    "The upgrade helper %s may not serve on port %d: the file lacks the capability cap_net_bind_service and this "
    "account is not root. Give it the capability with: sudo setcap cap_net_bind_service+ep %s (the package does so "
    "when it is installed), or upgrade as root. Nothing was sent to the devices.";

enum class HelperAccess {
    kGranted,        // or a missing file, which the helper's start reports
    kNotExecutable,  // the file's group and mode keep this account out
    kNoCapability,   // the port needs the privilege, the file lacks it and we are not root
};

struct HelperPermission {
    HelperAccess access = HelperAccess::kGranted;
    std::string helper;  // the executable's path
    std::uint16_t port = 0;
    std::string group;  // the helper file's group
    std::string user;   // this account

    bool Granted() const { return access == HelperAccess::kGranted; }
};

// Whether the helper of that kind in `layout` can be started by this account and serve its port.
HelperPermission CheckHelperPermission(const HelperLayout& layout, HelperKind kind);

// The refusal as the operator reads it: the key and its placeholders' values; nothing when granted.
struct HelperRefusal {
    const char* key = nullptr;
    std::vector<std::string> values;
};
std::optional<HelperRefusal> RefusalOf(const HelperPermission& permission);

}  // namespace cpe::actions
