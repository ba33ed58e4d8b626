#include "platform/account.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace cpe::platform {
namespace {

// The databases' answers point into this buffer; 4 KiB holds any real entry.
constexpr std::size_t kEntryBuffer = 4096;

}  // namespace

std::string CurrentUserName() {
    std::string buffer(kEntryBuffer, '\0');
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return "uid " + std::to_string(::geteuid());
}

std::string GroupName(gid_t gid) {
    std::string buffer(kEntryBuffer, '\0');
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->gr_name;
    return "gid " + std::to_string(gid);
}

}  // namespace cpe::platform
