#include "inventory/known_device.h"

#include <cstring>

#include "inventory/event_detail.h"
#include "protocol/codes.h"
#include "store/device_row.h"

namespace cpe::inventory {
namespace {

DeviceEvent Change(std::string_view kind, std::string_view from, std::string_view to) {
    return {kind, EventDetail().Add("from", from).Add("to", to).Json()};
}

}  // namespace

KnownDevice DescribeRecord(const ap_info_stu& record, const std::string& codeset) {
    KnownDevice device;
    device.mac.assign(record.mac, ::strnlen(record.mac, sizeof record.mac));
    device.lastIp = FormatIp(record.ip);
    device.name = store::AnsiToUtf8(record.ap_name.text(), codeset);
    device.firmware = store::AnsiToUtf8(record.version.text(), codeset);
    device.model = record.ap_type.get();
    device.workMode = record.work_mode;
    device.online = true;
    return device;
}

std::vector<DeviceEvent> ChangesOf(const KnownDevice* known, const KnownDevice& now) {
    if (known == nullptr) {
        EventDetail detail;
        detail.Add("ip", now.lastIp).Add("name", now.name).Add("model", ModelName(now.model));
        detail.Add("firmware", now.firmware);
        return {{event_kind::kFirstSeen, detail.Json()}};
    }
    std::vector<DeviceEvent> events;
    if (!known->online)
        events.push_back({event_kind::kBackOnline, EventDetail().Add("ip", now.lastIp).Json()});
    if (known->name != now.name)
        events.push_back(Change(event_kind::kRenamed, known->name, now.name));
    if (known->lastIp != now.lastIp)
        events.push_back(Change(event_kind::kAddressChanged, known->lastIp, now.lastIp));
    if (known->firmware != now.firmware)
        events.push_back(Change(event_kind::kFirmwareChanged, known->firmware, now.firmware));
    return events;
}

}  // namespace cpe::inventory
