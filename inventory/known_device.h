// A device the inventory knows, as its row holds it, and the events a newly arrived record of it
// makes: first seen, back online, renamed, address changed, firmware changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/records.h"

namespace cpe::inventory {

struct KnownDevice {
    std::string mac;
    std::int64_t firstSeen = 0;  // seconds since the epoch
    std::int64_t lastSeen = 0;
    std::string lastIp;
    std::string name;      // UTF-8
    std::string firmware;  // UTF-8
    int model = 0;
    int workMode = 0;
    bool online = false;  // heard in this run of the writing program and not aged out since
};

// What a device record says of the columns above (texts from the local code set `codeset`).
KnownDevice DescribeRecord(const ap_info_stu& record, const std::string& codeset);

struct DeviceEvent {
    std::string_view kind;
    std::string detail;  // JSON object
};

// The events `now` (a record's description) makes against what was known (null: never seen).
std::vector<DeviceEvent> ChangesOf(const KnownDevice* known, const KnownDevice& now);

}  // namespace cpe::inventory
