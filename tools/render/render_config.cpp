// Renders the device configuration dialog offscreen to PNG files, one per tab and security
// sub-form, an SSID past its limit, device codes the lists lack and the wait after a Save, so its
// look can be judged without a display.
//
//   cpe_render_config <resources folder> <output folder> [lcid]
#include "config/management_config_dlg.h"
#include "config/vlan_dlg.h"
#include "config/wireless_set_dlg.h"
#include "lang/language.h"
#include "protocol/codes.h"
#include "tools/render/render_setup.h"
#include "tools/render/render_shot.h"
#include "ui/ct_button_picture.h"
#include "ui/dialog_template.h"
#include "ui/resource_ids.h"
#include "ui/skin_settings.h"
#include "ui/wait_dlg.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

using namespace cpe;

class NoTarget : public ConfigSaveTarget {
public:
    std::vector<std::string> DeviceIps() override { return {}; }
    void SendConfiguration(const actions::config_request&) override {}
};

// A 5 GHz access point on channel 36 at 40 MHz with WPA2-PSK, VLANs and a nightly reboot.
ap_info_stu SampleDevice() {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    std::strcpy(r.mac, "00:1a:2b:3c:4d:5e");
    r.ap_type.set(1);
    r.work_mode = 1;
    r.ip = ParseIp("192.168.1.20");
    r.ip_mask = ParseIp("255.255.255.0");
    r.ip_gateway = ParseIp("192.168.1.1");
    r.ip_dns1 = ParseIp("8.8.8.8");
    r.ap_name.assign("Tower-North");
    r.rf_type = 1;
    r.country_code = 28;
    r.network_mode = 2;
    r.bandwidth = 1;
    r.channel = 36;
    r.tx_power = 20;
    r.tx_power_min = 8;
    r.tx_power_max = 26;
    r.ssid.assign("Backhaul-5G");
    r.security.secure_mode = 3;
    r.security.wpapsk_key_value.assign("backhaul-secret");
    r.security.wpapsk_key_time.set(3600);
    r.security.wep_key_index = 1;
    r.security.wep_keys[0].key_value.assign("abcde");
    r.security.wpa_radius_ip = ParseIp("192.168.1.5");
    r.security.wpa_radius_port.set(1812);
    r.security.wpa_key.assign("radius-key");
    r.security.wpa_key_time.set(600);
    r.vlan_en = 1;
    r.vlan_id.set(10);
    r.vlan_id_wlan.set(20);
    r.vlan_id_lan.set(30);
    r.restart_en = 1;
    r.restart_type = 0xFE;
    r.restart_time.set(150);
    return r;
}

void RenderDevice(const ap_info_stu& device, const QString& dir, const QString& prefix, bool allTabs) {
    NoTarget target;
    CManagementConfigDlg dialog(device, target);
    dialog.show();
    QApplication::processEvents();
    render::SaveShot(dialog, dir, prefix + QStringLiteral("wireless"));
    if (!allTabs)
        return;
    const std::pair<actions::ConfigForm, const char*> tabs[] = {{actions::ConfigForm::kIp, "ip"},
                                                                {actions::ConfigForm::kVlan, "vlan"},
                                                                {actions::ConfigForm::kTimedReboot, "timed_reboot"}};
    for (const auto& [form, name] : tabs) {
        dialog.ShowForm(form);
        QApplication::processEvents();
        render::SaveShot(dialog, dir, prefix + QString::fromLatin1(name));
    }
}

// The marks of what the operator typed: an SSID past its 32 bytes, with the focus in it.
void RenderLimit(const ap_info_stu& device, const QString& dir, const QString& prefix) {
    NoTarget target;
    CManagementConfigDlg dialog(device, target);
    dialog.show();
    auto* ssid = DlgItem<QLineEdit>(dialog.WirelessForm(), ids::wireless_set::kSsid);
    ssid->setFocus();
    ssid->setText(QString(40, QLatin1Char('s')));
    QApplication::processEvents();
    render::SaveShot(dialog, dir, prefix + QStringLiteral("ssid_limit"));
}

// The wait after a Save that changes the VLANs, shot as it counts down.
void RenderWait(const ap_info_stu& device, const QString& dir, const QString& prefix) {
    NoTarget target;
    CManagementConfigDlg dialog(device, target);
    dialog.show();
    DlgItem<QLineEdit>(dialog.VlanForm(), ids::vlan::kManage)->setText(QStringLiteral("11"));
    QTimer::singleShot(1200, &dialog, [&] {
        if (auto* wait = qobject_cast<CWaitDlg*>(QApplication::activeModalWidget())) {
            render::SaveShot(*wait, dir, prefix + QStringLiteral("wait_popup"));
            wait->done(QDialog::Accepted);
        }
    });
    dialog.SaveButton()->click();
}

}  // namespace

int main(int argc, char** argv) {
    render::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    const auto args = render::ReadArguments(argc, argv);
    if (!args)
        return 2;
    SkinSettings skin;
    render::InstallLanguageAndSkin(*args, skin);
    const QString& out = args->out;
    const std::uint16_t lcid = args->lcid;

    const QString prefix = QStringLiteral("config_%1_").arg(lcid);
    ap_info_stu device = SampleDevice();
    RenderDevice(device, out, prefix, true);

    RenderLimit(device, out, prefix);
    RenderWait(device, out, prefix);
    ap_info_stu unknown = device;
    unknown.country_code = 40;  // past the 5 GHz list: "Unknown (40)"
    unknown.network_mode = 9;
    RenderDevice(unknown, out, prefix + QStringLiteral("unknown_codes_"), false);

    device.security.secure_mode = 1;
    RenderDevice(device, out, prefix + QStringLiteral("wep_"), false);
    device.security.secure_mode = 6;
    RenderDevice(device, out, prefix + QStringLiteral("wpa2_"), false);
    // A 2.4 GHz station: every control shown, none editable.
    device.rf_type = 0;
    device.country_code = 0;
    device.network_mode = 4;
    device.channel = 6;
    device.work_mode = 2;
    device.security.secure_mode = 0;
    RenderDevice(device, out, prefix + QStringLiteral("station_24ghz_"), false);
    InstallSkin(nullptr);
    return 0;
}
