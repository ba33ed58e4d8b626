// The simulator answers broadcasts and sends from many addresses; it must never do so on a real
// network. It runs only in a network namespace made by tools/netlab.sh (a namespace named
// "cpe-lab-*" whose handle lies in /run/netns), or on loopback when told so explicitly.
#pragma once

#include <string>

namespace cpe::sim {

// Empty when the current network namespace is one of the lab's, else why not.
std::string CheckInLabNamespace();

}  // namespace cpe::sim
