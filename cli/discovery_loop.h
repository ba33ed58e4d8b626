// The discovery run of the status page driven from the command line, once a second, and what the
// commands that act on named devices need from it: those devices, found by MAC or IP address
// among the devices that sent their record.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "actions/status/discovery_run.h"
#include "cli/command_line.h"
#include "cli/session.h"
#include "protocol/records.h"

namespace cpe::cli {

// Runs a discovery of at most `seconds` ticks, showing the counts on the progress line under
// `label`, until it ends, `enough` (asked with each tick's counts) holds, or a signal arrives.
// False when a signal ended it.
bool RunDiscovery(Session& session, int seconds, const std::string& label,
                  const std::function<bool(const actions::DeviceCounts&)>& enough);

struct FoundDevice {
    std::string mac;
    std::string ip;
    int model = 1;  // the model code the lists read from the device's "Type"
    ap_info_stu record{};
};

struct FoundDevices {
    std::vector<FoundDevice> found;  // in the order named, each device once
    std::vector<DeviceRef> missing;  // named devices that did not send their record
    bool interrupted = false;
};

// Discovers until every named device sent its record and, with `settle`, the network has gone
// quiet (so the devices bridged to them are known too), or the run ends.
FoundDevices FindDevices(Session& session, const std::vector<DeviceRef>& named, int seconds, bool settle);

// "02:c9:5e:00:00:01 10.77.64.1", how the command lines name a device in their output.
std::string DeviceLabel(const FoundDevice& device);
// A status code as the command lines print it: its English key ("Restarting"), else the number.
std::string StatusWord(int status);

}  // namespace cpe::cli
