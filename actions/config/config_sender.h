// The background sender of the device configuration: one short burst of requests to one device,
// each only if its block changed, in the order the device applies them (name, wireless, restart,
// VLAN, then the address last, because it moves the device). Nothing is awaited or retried.
//
// Devices do not announce a new name or wireless settings by themselves, and an identified device
// is never asked for its record again; so once the burst is out, and the device has had a moment
// to apply it, the sender asks for the record (at the new address if it moved), and the store and
// the lists catch up with what the device now holds.
#pragma once

#include <chrono>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "actions/config/config_request.h"

namespace cpe {
class CNetManagement;
}  // namespace cpe

namespace cpe::actions {

inline constexpr std::chrono::milliseconds kRecordRequestDelay{300};

// Sends `request` to the device at `targetIp` (whose MAC text is `targetMac`). Stops before the
// next request once `stop` is requested.
void SendConfiguration(CNetManagement& engine, const config_request& request, std::string_view targetIp,
                       std::string_view targetMac, std::stop_token stop,
                       std::chrono::milliseconds recordDelay = kRecordRequestDelay);

// At most one sender at a time: a new Start ends the running one first, cooperatively, and joins
// it, so requests of two Saves never mix. Destruction ends a running sender the same way.
class ConfigSender {
public:
    explicit ConfigSender(CNetManagement& engine, std::chrono::milliseconds recordDelay = kRecordRequestDelay);
    ConfigSender(const ConfigSender&) = delete;
    ConfigSender& operator=(const ConfigSender&) = delete;
    ~ConfigSender() { Stop(); }

    // The sender works on its own copy of the request.
    void Start(const config_request& request, std::string targetIp, std::string targetMac);
    void Stop();

private:
    CNetManagement& engine_;
    const std::chrono::milliseconds recordDelay_;
    std::jthread thread_;
};

}  // namespace cpe::actions
