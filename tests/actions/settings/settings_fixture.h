// A unit's settings as a backup keeps them, and the same unit after a factory reset: the records
// the settings tests send back and forth.
#pragma once

#include "tests/actions/config/config_fixture.h"

namespace cpe::test {

// The unit after a factory reset: another name, SSID, key, address, no VLAN, no timed reboot.
inline ap_info_stu FactoryReset() {
    ap_info_stu r = Device5();
    r.ap_name.assign("CPE");
    r.ssid.assign("default");
    r.security.secure_mode = 0;
    r.ip = ParseIp("192.168.1.254");
    r.channel = 0;
    return r;
}

// Its settings before: VLANs and a timed reboot besides the wireless settings of Device5.
inline ap_info_stu SavedSettings() {
    ap_info_stu r = Device5();
    r.vlan_en = 1;
    r.vlan_id.set(100);
    r.vlan_id_wlan.set(200);
    r.vlan_id_lan.set(300);
    r.restart_en = 1;
    r.restart_type = 2;
    r.restart_time.set(3 * 60 + 30);
    return r;
}

}  // namespace cpe::test
