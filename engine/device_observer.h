// What the engine tells a listener about devices as it learns it: an accepted device record, a
// heartbeat of a known device and a device the ageing dropped. Called on the engine's worker and
// ager threads after the store was written, with no engine lock held; a listener returns quickly
// (it queues what it needs) and never calls back into the engine.
#pragma once

#include <string_view>

#include "protocol/records.h"

namespace cpe {

class DeviceObserver {
public:
    virtual ~DeviceObserver() = default;
    // The device's full record as the store keeps it: MAC text and model filled in, texts in the
    // local code set.
    virtual void OnDeviceRecord(const ap_info_stu& record) = 0;
    virtual void OnDeviceHeartbeat(std::string_view mac, std::string_view ip) = 0;
    virtual void OnDeviceGone(std::string_view mac) = 0;
};

}  // namespace cpe
