// What one Save of the device configuration dialog decides to send: a changed flag and a block
// for each of name, wireless, IP, VLAN and restart settings. The dialog's forms fill it in a fixed
// order, the first failing check ends the Save, and the sender transmits what changed.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>

#include "actions/common/wait_job.h"
#include "actions/config/check_failure.h"
#include "actions/config/ip_form_model.h"
#include "actions/config/timed_reboot_form_model.h"
#include "actions/config/vlan_form_model.h"
#include "actions/config/wireless_form_model.h"
#include "engine/payload_blocks.h"

namespace cpe::actions {

// Blocks keep the name and the SSID in the local code set; the sender converts them.
struct config_request {
    bool name_changed = false;
    bool wireless_changed = false;
    bool ip_changed = false;
    bool vlan_changed = false;
    bool restart_changed = false;
    NameBlock name_block{};
    WirelessBlock wireless_block{};
    IpBlock ip_block{};
    VlanBlock vlan_block{};
    RestartBlock restart_block{};

    bool SendsAnything() const {
        return name_changed || wireless_changed || ip_changed || vlan_changed || restart_changed;
    }
};

// When both the IP and the VLAN settings change, the device must not apply the new address
// before the new VLANs: the IP block goes out with its apply flag 0 and the VLAN block with 1.
void ApplyFlagRule(config_request& request);

// How long the dialog waits for the device after a Save: a new VLAN restarts it (60 s), a new
// address moves it (15 s); anything else needs no wait.
std::chrono::seconds WaitAfterSave(const config_request& request);
// What that wait says about the device at `ip`: what it waits for (a restart, a new address).
WaitJob WaitJobAfterSave(const config_request& request, std::string ip);

// The dialog's four forms, in tab order.
enum class ConfigForm : std::uint8_t { kWireless, kIp, kVlan, kTimedReboot };

struct ConfigEntries {
    WirelessEntries wireless;
    IpEntries ip;
    VlanEntries vlan;
    TimedRebootEntries timedReboot;
};

struct SaveFailure {
    ConfigForm form;  // the form whose check failed; the view leaves the shown tab as it is
    CheckFailure failure;
};

struct SaveOutcome {
    std::optional<SaveFailure> failure;
    config_request request;  // all zero after a failure
    std::chrono::seconds wait{0};
    WaitJob waitJob;  // what the wait says, when there is one
};

// The models of the configuration dialog's forms, all built from one device record.
struct ConfigDialogModel {
    explicit ConfigDialogModel(const ap_info_stu& device);

    ConfigEntries InitialEntries() const;
    // Collects wireless, IP, VLAN and timed reboot in that order and stops at the first failure.
    // `ipsInUse` are the address texts of the devices in the store.
    SaveOutcome Save(const ConfigEntries& entries, std::span<const std::string> ipsInUse) const;

    WirelessFormModel wireless;
    IpFormModel ip;
    VlanFormModel vlan;
    TimedRebootFormModel timedReboot;
};

}  // namespace cpe::actions
