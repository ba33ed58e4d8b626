#include "actions/config/config_request.h"

namespace cpe::actions {
namespace {

constexpr std::chrono::seconds kWaitForVlan{60};
constexpr std::chrono::seconds kWaitForIp{15};

SaveOutcome Failed(ConfigForm form, const CheckFailure& failure) { return {SaveFailure{form, failure}, {}, {}, {}}; }

}  // namespace

void ApplyFlagRule(config_request& request) {
    if (!request.ip_changed || !request.vlan_changed)
        return;
    request.ip_block[kIpApplyFlagByte] = 0;
    request.vlan_block[kVlanApplyFlagByte] = 1;
}

std::chrono::seconds WaitAfterSave(const config_request& request) {
    if (request.vlan_changed)
        return kWaitForVlan;
    if (request.ip_changed)
        return kWaitForIp;
    return std::chrono::seconds{0};
}

WaitJob WaitJobAfterSave(const config_request& request, std::string ip) {
    std::string_view line = "Applying settings to %s; about %d s left";
    if (request.vlan_changed)
        line = "Applying settings to %s - the device restarts; about %d s left";
    else if (request.ip_changed)
        line = "Applying settings to %s - the device moves to its new address; about %d s left";
    return {"Applying settings", line, "The settings were sent to %s. The device may still be restarting.",
            std::move(ip)};
}

ConfigDialogModel::ConfigDialogModel(const ap_info_stu& device)
    : wireless(device), ip(device), vlan(device), timedReboot(device) {}

ConfigEntries ConfigDialogModel::InitialEntries() const {
    return {wireless.InitialEntries(), ip.InitialEntries(), vlan.InitialEntries(), timedReboot.InitialEntries()};
}

SaveOutcome ConfigDialogModel::Save(const ConfigEntries& entries, std::span<const std::string> ipsInUse) const {
    SaveOutcome out;
    config_request& r = out.request;

    const WirelessCollected w = wireless.Collect(entries.wireless);
    if (w.failure)
        return Failed(ConfigForm::kWireless, *w.failure);
    r.name_changed = w.nameChanged;
    r.name_block = w.name;
    r.wireless_changed = w.wirelessChanged;
    r.wireless_block = w.wireless;

    const Collected<IpBlock> i = ip.Collect(entries.ip, ipsInUse);
    if (i.failure)
        return Failed(ConfigForm::kIp, *i.failure);
    r.ip_changed = i.changed;
    r.ip_block = i.block;

    const Collected<VlanBlock> v = vlan.Collect(entries.vlan);
    if (v.failure)
        return Failed(ConfigForm::kVlan, *v.failure);
    r.vlan_changed = v.changed;
    r.vlan_block = v.block;

    const Collected<RestartBlock> t = timedReboot.Collect(entries.timedReboot);
    if (t.failure)
        return Failed(ConfigForm::kTimedReboot, *t.failure);
    r.restart_changed = t.changed;
    r.restart_block = t.block;

    ApplyFlagRule(r);
    out.wait = WaitAfterSave(r);
    out.waitJob = WaitJobAfterSave(r, ip.InitialEntries().ip);
    return out;
}

}  // namespace cpe::actions
