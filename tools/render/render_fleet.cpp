// Renders the fleet windows offscreen to PNG files over a made-up inventory: the main window on
// its Inventory page, a device's history, Restore settings (keys masked, then shown) and Apply to
// devices with a result of each kind, so their look can be judged without a display.
//
//   cpe_render_fleet <resources folder> <output folder> [lcid]
#include "app/application_dlg.h"
#include "app/child_dlg.h"
#include "app/menu_dlg.h"
#include "engine/net_management.h"
#include "fleet/apply_settings_dlg.h"
#include "fleet/history_dlg.h"
#include "fleet/inventory_page.h"
#include "fleet/restore_settings_dlg.h"
#include "inventory/inventory.h"
#include "lang/language.h"
#include "protocol/codes.h"
#include "store/sql_management.h"
#include "tools/render/render_setup.h"
#include "tools/render/render_shot.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/skin_settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using namespace cpe;

constexpr std::int64_t kNow = 1'760'000'000;

struct Unit {
    const char* name;
    int model;
    const char* version;
    std::int64_t silentFor;  // seconds; 0: online
};
const Unit kUnits[] = {
    {"Tower-North", 1, "V2.6.8", 0},        {"Farm-East", 2, "V2.6.8", 0},    {"Silo-3", 3, "V2.6.7", 3 * 3600 + 600},
    {"Warehouse", 1, "V2.6.8", 0},          {"Office roof", 4, "V2.6.7", 45}, {"Pump house", 2, "V2.6.8", 0},
    {"Ridge-West", 1, "V2.6.6", 5 * 86400}, {"School", 3, "V2.6.8", 0},       {"Clinic", 1, "V2.6.8", 0},
    {"Barn-2", 2, "V2.6.7", 25 * 60},       {"Water tower", 1, "V2.6.8", 0},  {"Depot", 4, "V2.6.8", 0},
};

ap_info_stu Record(std::size_t i) {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    std::snprintf(r.mac, sizeof r.mac, "02:c9:5e:00:00:%02zx", i + 1);
    const Unit& u = kUnits[i];
    r.ap_type.set(static_cast<std::uint16_t>(u.model));
    r.ap_status.set(1);
    r.work_mode = 1;
    r.ip = {10, 77, 64, static_cast<std::uint8_t>(11 + i)};
    r.ip_mask = {255, 255, 0, 0};
    r.ip_gateway = {10, 77, 0, 1};
    r.ap_name.assign(u.name);
    r.version.assign(u.version);
    r.rf_type = 1;
    r.country_code = 28;
    r.network_mode = 2;
    r.channel = 149;
    r.tx_power = 20;
    r.tx_power_min = 8;
    r.tx_power_max = 26;
    r.ssid.assign("Backhaul-5G");
    r.security.secure_mode = 3;
    r.security.wpapsk_key_value.assign("backhaul-secret");
    r.security.wpapsk_key_time.set(3600);
    r.vlan_en = 1;
    r.vlan_id.set(10);
    r.vlan_id_wlan.set(20);
    r.vlan_id_lan.set(30);
    r.restart_en = 1;
    r.restart_type = 0xFE;
    r.restart_time.set(150);
    return r;
}

class NoHost : public QObject, public PageHostLink {
public:
    bool AutoRefresh() const override { return true; }
    void SetAutoRefresh(bool) override {}
    void EnableMenuButtons(bool) override {}
    QObject* PagerTarget() override { return this; }
    int CurrentPageId() const override { return ids::kInventoryDlg; }
};

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

    // The inventory a week of work leaves: every unit seen, some gone since, actions and backups.
    QTemporaryDir scratch;
    const std::filesystem::path folder = scratch.path().toStdString();
    auto now = std::make_shared<std::int64_t>(kNow - 7 * 86400);
    inventory::InventoryOptions options;
    options.file = folder / "inventory.sqlite";
    options.frontEnd = "window";
    options.user = "operator";
    options.clock = [now] { return *now; };
    auto fleet = inventory::Inventory::OpenWriter(options);
    fleet->WaitOpened(std::chrono::seconds(10));
    CSqlManagement store(folder / "data.mdb");
    for (std::size_t i = 0; i < std::size(kUnits); ++i)
        fleet->OnDeviceRecord(Record(i));
    *now = kNow - 86400;
    fleet->TakeBackup(Record(0).mac, inventory::backup_reason::kBeforeSave);
    fleet->RecordAction(Record(0).mac, inventory::event_kind::kConfigurationSave, "sent",
                        inventory::EventDetail().Add("wireless", "changed").Add("vlan", "kept"));
    fleet->TakeBackup(Record(0).mac, inventory::backup_reason::kBeforeFactoryRestore);
    fleet->RecordAction(Record(0).mac, inventory::event_kind::kFactoryRestore, "sent");
    for (std::size_t i = 0; i < std::size(kUnits); ++i) {
        *now = kNow - (kUnits[i].silentFor > 0 ? kUnits[i].silentFor : 5);
        if (kUnits[i].silentFor > 0)
            fleet->OnDeviceGone(Record(i).mac);
        else
            fleet->OnDeviceHeartbeat(Record(i).mac, FormatIp(Record(i).ip));
    }
    // The first unit answers again with its factory settings.
    *now = kNow;
    ap_info_stu reset = Record(0);
    reset.ap_name.assign("CPE");
    reset.ssid.assign("default");
    reset.security.secure_mode = 0;
    reset.vlan_en = 0;
    reset.restart_en = 0;
    fleet->OnDeviceRecord(reset);
    fleet->Flush(std::chrono::seconds(10));
    for (std::size_t i = 0; i < std::size(kUnits); ++i)
        if (kUnits[i].silentFor == 0)
            store.SaveDevice(i == 0 ? reset : Record(i));

    EngineConfig config;
    config.sendHook = [](SocketRole, std::string_view, std::uint16_t, std::uint16_t, std::span<const std::uint8_t>) {
        return true;
    };
    CNetManagement engine(store, config);
    const PageServices services{engine, store, fleet.get()};

    {
        CApplicationDlg window(services, CApplicationDlg::Options{{}, false, {}});
        window.show();
        window.m_pMenuDlg->ShowPage(ids::menu::kInventoryButton);
        auto* page = dynamic_cast<CInventoryDlg*>(window.m_pChildDlg->PageById(ids::kInventoryDlg));
        page->RefreshList();
        QApplication::processEvents();
        render::SaveShot(window, out, QStringLiteral("inventory_page"));
    }
    const std::string mac = Record(0).mac;
    {
        CHistoryDlg history(services, mac);
        history.show();
        QApplication::processEvents();
        render::SaveShot(history, out, QStringLiteral("inventory_history"));
    }
    {
        CRestoreSettingsDlg restore(services, mac);
        restore.show();
        QApplication::processEvents();
        render::SaveShot(restore, out, QStringLiteral("inventory_restore_settings"));
        restore.ShowKeysBox()->setChecked(true);
        QApplication::processEvents();
        render::SaveShot(restore, out, QStringLiteral("inventory_restore_settings_keys"));
    }
    {
        NoHost host;
        CApplySettingsDlg apply(services, mac);
        apply.show();
        for (int row : {2, 3, 4})
            apply.Grid()->GetCheckCell(row)->SetCheck(true);
        apply.OnApply();
        QApplication::processEvents();
        render::SaveShot(apply, out, QStringLiteral("inventory_apply_settings"));
    }
    engine.Shutdown();
    fleet.reset();
    InstallSkin(nullptr);
    return 0;
}
