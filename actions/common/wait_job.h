// What a wait after sending says: a title, one line naming the device (or the devices) and the
// job with the seconds left, and what closing the wait early means: the request went out and the
// device may still be busy with it. The texts are translated, their places filled.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace cpe::actions {

struct WaitJob {
    std::string_view titleKey;
    std::string_view lineKey;        // "%s": the target, then "%d": the seconds left
    std::string_view earlyCloseKey;  // "%s": the target
    std::string target;              // an address, or "3 devices"
};

std::string WaitTitle(const WaitJob& job);
std::string WaitLine(const WaitJob& job, int secondsLeft);
std::string WaitEarlyClose(const WaitJob& job);

// The target of a job on these devices: the address of one, "N devices" for more.
std::string WaitTarget(std::span<const std::string> ips);

}  // namespace cpe::actions
