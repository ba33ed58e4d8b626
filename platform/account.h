// Names of the accounts and groups the system knows, for what the program tells its user and
// writes down; an id the system has no name for is shown as its number.
#pragma once

#include <sys/types.h>

#include <string>

namespace cpe::platform {

// The name of the account the program runs as (its effective user).
std::string CurrentUserName();
std::string GroupName(gid_t gid);

}  // namespace cpe::platform
