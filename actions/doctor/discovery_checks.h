// Why a discovery run may have found nothing, checked on the engine that ran it: the adapters and
// addresses it searched, whether it holds its four UDP ports, what it sent and heard, and, when no
// device answered, the usual causes. The status page shows the findings in its empty list and
// `cpe-cli doctor` prints them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cpe {
class CNetManagement;
}  // namespace cpe

namespace cpe::actions {

// One line of the findings: an English text key (as the translation files hold it) with the
// values of its "%s" and "%d" marks in order, and whether it tells of something wrong.
struct CheckFinding {
    std::string key;
    std::vector<std::string> values;
    bool problem = false;

    // `pattern` (the key or its translation) with each mark replaced by the next value.
    std::string Text(std::string_view pattern) const;
    std::string EnglishText() const { return Text(key); }
};

inline constexpr const char* kAdapterSearchedKey = "Searched on adapter %s: %s";
inline constexpr const char* kNoAdapterKey = "No network adapter with an IPv4 address is up, so nothing was searched.";
inline constexpr const char* kPortsHeldKey = "UDP ports %s are held by this program.";
inline constexpr const char* kPortNotHeldKey =
    "UDP port %d (%s) is not held by this program: another program holds it or it cannot be opened.";
inline constexpr const char* kTrafficKey = "Searches sent: %d. Answers received: %d. Devices found: %d.";
inline constexpr const char* kNoAnswerKey = "No device answered. The usual causes:";
inline constexpr const char* kFirewallCauseKey = "- a firewall on this computer or on the way drops UDP 9785-9788;";
inline constexpr const char* kSubnetCauseKey =
    "- the devices are on a subnet that no adapter faces: give an adapter an address in their subnet;";
inline constexpr const char* kPowerCauseKey = "- the devices are off, still starting, or their cable is unplugged.";

// The findings about `engine` after a run that found `devicesFound` devices.
std::vector<CheckFinding> CheckDiscovery(CNetManagement& engine, std::size_t devicesFound);
// True when no finding tells of something wrong.
bool NothingWrong(const std::vector<CheckFinding>& findings);

}  // namespace cpe::actions
