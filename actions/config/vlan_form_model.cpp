#include "actions/config/vlan_form_model.h"

#include <cstring>

#include "actions/common/entry_text.h"
#include "actions/config/config_messages.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

constexpr std::int64_t kVlanIdMin = 1;
constexpr std::int64_t kVlanIdMax = 4094;

bool InRange(std::int64_t id) { return id >= kVlanIdMin && id <= kVlanIdMax; }

}  // namespace

VlanFormModel::VlanFormModel(const ap_info_stu& device)
    : device_(MakeVlanBlock(device)),
      deviceEnabled_(device.vlan_en),
      deviceIds_{device.vlan_id.get(), device.vlan_id_wlan.get(), device.vlan_id_lan.get()},
      lanVisible_(!IsModelSetB(device.ap_type.get())),
      enabled_(device.vlan_en != 0),
      initial_{std::to_string(deviceIds_[0]), std::to_string(deviceIds_[1]), std::to_string(deviceIds_[2])} {}

bool VlanFormModel::Untouched(const VlanEntries& entries) const {
    return enabled_ == (deviceEnabled_ != 0) && entries == initial_;
}

Collected<VlanBlock> VlanFormModel::Collect(const VlanEntries& entries) const {
    Collected<VlanBlock> out;
    if (Untouched(entries)) {
        out.block = device_;
        return out;
    }
    ap_info_stu record;
    std::memset(&record, 0, sizeof record);
    if (!enabled_) {
        out.changed = deviceEnabled_ != 0;
        out.block = MakeVlanBlock(record);
        return out;
    }
    auto fail = [&](std::string_view key, ConfigField field) {
        out.failure = CheckFailure{key, field, {}};
        return out;
    };
    if (entries.manage.empty())
        return fail(message::kVlanRange, ConfigField::kManageVlan);
    if (entries.wlan.empty())
        return fail(message::kWlanRange, ConfigField::kWlanVlan);
    if (lanVisible_ && entries.lan.empty())
        return fail(message::kLanRange, ConfigField::kLanVlan);
    const std::int64_t manage = ReadDecimal(entries.manage);
    const std::int64_t wlan = ReadDecimal(entries.wlan);
    const std::int64_t lan = ReadDecimal(entries.lan);
    if (!InRange(manage))
        return fail(message::kVlanRange, ConfigField::kManageVlan);
    if (!InRange(wlan))
        return fail(message::kWlanRange, ConfigField::kWlanVlan);
    if (lanVisible_ && !InRange(lan))
        return fail(message::kLanRange, ConfigField::kLanVlan);

    record.vlan_en = 1;
    record.vlan_id.set(ClampTo<std::uint16_t>(manage));
    record.vlan_id_wlan.set(ClampTo<std::uint16_t>(wlan));
    record.vlan_id_lan.set(ClampTo<std::uint16_t>(lan));
    out.block = MakeVlanBlock(record);
    out.changed = record.vlan_id.get() != deviceIds_[0] || record.vlan_id_wlan.get() != deviceIds_[1] ||
                  record.vlan_id_lan.get() != deviceIds_[2] || deviceEnabled_ != 1;
    return out;
}

}  // namespace cpe::actions
