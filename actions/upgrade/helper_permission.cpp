#include "actions/upgrade/helper_permission.h"

#include <fcntl.h>
#include <sys/capability.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <type_traits>

#include "platform/account.h"
#include "protocol/file_transfer.h"

namespace cpe::actions {
namespace {

// Ports below this need the privilege: the kernel's setting for our network namespace, which
// is the one the helper binds in.
unsigned UnprivilegedPortStart() {
    std::ifstream setting("/proc/sys/net/ipv4/ip_unprivileged_port_start");
    unsigned start = 0;
    return setting >> start ? start : 1024;
}

// Whether starting the file gives the process the right to bind low ports. libcap reads every
// format the kernel stores file capabilities in; a set kept for the root of another user
// namespace (a container's) is not ours.
bool FileMayBindLowPorts(const std::string& path) {
    const std::unique_ptr<std::remove_pointer_t<cap_t>, decltype(&cap_free)> caps(cap_get_file(path.c_str()),
                                                                                  &cap_free);
    if (!caps)
        return false;
    cap_flag_value_t permitted = CAP_CLEAR;
    cap_flag_value_t effective = CAP_CLEAR;
    return cap_get_flag(caps.get(), CAP_NET_BIND_SERVICE, CAP_PERMITTED, &permitted) == 0 &&
           cap_get_flag(caps.get(), CAP_NET_BIND_SERVICE, CAP_EFFECTIVE, &effective) == 0 && permitted == CAP_SET &&
           effective == CAP_SET && cap_get_nsowner(caps.get()) == 0;
}

}  // namespace

HelperPermission CheckHelperPermission(const HelperLayout& layout, HelperKind kind) {
    const bool tftp = kind == HelperKind::kTftp;
    HelperPermission permission;
    permission.helper = (layout.serviceDir / (tftp ? layout.tftpExecutable : layout.fileServerExecutable)).string();
    permission.port = tftp ? layout.tftpPort.value_or(kTftpServerPort) : layout.httpPort.value_or(kHttpServerPort);
    struct stat file {};
    if (::stat(permission.helper.c_str(), &file) != 0)
        return permission;
    // Effective ids and the supplementary groups of this process: an account added to the group
    // gets it only at its next login.
    if (::faccessat(AT_FDCWD, permission.helper.c_str(), X_OK, AT_EACCESS) != 0) {
        permission.access = HelperAccess::kNotExecutable;
        permission.group = platform::GroupName(file.st_gid);
        permission.user = platform::CurrentUserName();
        return permission;
    }
    if (::geteuid() != 0 && permission.port < UnprivilegedPortStart() && !FileMayBindLowPorts(permission.helper))
        permission.access = HelperAccess::kNoCapability;
    return permission;
}

std::optional<HelperRefusal> RefusalOf(const HelperPermission& permission) {
    switch (permission.access) {
    case HelperAccess::kGranted: break;
    case HelperAccess::kNotExecutable:
        return HelperRefusal{kHelperNotExecutableKey,
                             {permission.user, permission.helper, permission.group, permission.group, permission.user}};
    case HelperAccess::kNoCapability:
        return HelperRefusal{kHelperNoCapabilityKey,
                             {permission.helper, std::to_string(permission.port), permission.helper}};
    }
    return std::nullopt;
}

}  // namespace cpe::actions
