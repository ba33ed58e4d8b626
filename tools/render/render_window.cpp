// Renders the main window on each of its pages, with ten devices (long names among them) and
// after a search that found nothing, and the About box: at the default size, or with "max" as
// the fourth argument at 1920 x 1080, the size a maximised window has on such a screen. Run it
// with QT_SCALE_FACTOR=2 for a HiDPI screen. Nothing is sent: the engine's datagrams go to a hook.
#include "app/about_dlg.h"
#include "app/application_dlg.h"
#include "app/child_dlg.h"
#include "app/menu_dlg.h"
#include "engine/net_management.h"
#include "pages/status_dlg.h"
#include "protocol/codes.h"
#include "store/sql_management.h"
#include "tools/render/render_setup.h"
#include "tools/render/render_shot.h"
#include "ui/resource_ids.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstring>
#include <string>

using namespace cpe;

namespace {

constexpr QSize kMaximised(1920, 1080);

struct PageShot {
    int button;
    int dialogId;
    const char* name;
};

constexpr PageShot kPages[] = {
    {ids::menu::kStatusButton, ids::kStatusDlg, "status"},
    {ids::menu::kManagementButton, ids::kManagementDlg, "management"},
    {ids::menu::kBridgeButton, ids::kBridgeDlg, "bridge"},
    {ids::menu::kRebootButton, ids::kRebootDlg, "reboot"},
    {ids::menu::kUpgradeButton, ids::kUpgradeDlg, "upgrade"},
    {ids::menu::kRestoreButton, ids::kRestoreDlg, "restore"},
    {ids::menu::kInventoryButton, ids::kInventoryDlg, "inventory"},
    {ids::menu::kSystemToolButton, ids::kSystemToolDlg, "system_tool"},
    {ids::menu::kInstallHelpButton, ids::kInstallHelpDlg, "install_help"},
};

ap_info_stu Device(int n) {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    const std::string mac = FormatMac(RawMac{0x02, 0xc9, 0x5e, 0, 0, static_cast<std::uint8_t>(n)});
    std::memcpy(r.mac, mac.c_str(), mac.size() + 1);
    r.ap_type.set(n % 3 == 0 ? 2 : 1);
    r.ap_status.set(n % 4 == 0 ? 7 : 1);
    r.work_mode = static_cast<std::uint8_t>(n % 2 == 0 ? 1 : 2);
    r.up_time.set(86400u * static_cast<unsigned>(n) + 3725u);
    r.ip = {10, 89, 1, static_cast<std::uint8_t>(10 + n)};
    r.ip_mask = {255, 255, 255, 0};
    r.ap_name.assign(n == 1 ? "Rooftop access point north-east 1" : "cpe-site-" + std::to_string(n));
    r.version.assign("V2.6.7 build 20261201");
    r.ssid.assign(n == 2 ? "a-very-long-ssid-of-32-bytes-xyz" : "wisp-net");
    r.channel = static_cast<std::uint8_t>(n % 3 == 0 ? 0 : 149);
    r.tx_power = 20;
    r.security.secure_mode = 6;
    return r;
}

void Shoot(CApplicationDlg& window, const QString& out, const QString& name) {
    QApplication::processEvents();
    render::SaveShot(window, out, name);
}

}  // namespace

int main(int argc, char** argv) {
    render::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    const auto args = render::ReadArguments(argc, argv);
    if (!args)
        return 2;
    const bool maximised = argc > 4 && std::string(argv[4]) == "max";
    SkinSettings skin;
    render::InstallLanguageAndSkin(*args, skin);
    const QString prefix =
        QStringLiteral("window_%1_%2_x%3_")
            .arg(args->lcid)
            .arg(maximised ? QStringLiteral("max") : QStringLiteral("default"))
            .arg(qgetenv("QT_SCALE_FACTOR").isEmpty() ? QByteArray("1") : qgetenv("QT_SCALE_FACTOR"));

    QTemporaryDir scratch;
    CSqlManagement store(scratch.path().toStdString() + "/data.mdb");
    EngineConfig config;
    config.endpoints.bindAddress = "127.0.0.1";
    config.endpoints.discoveryPort = 0;
    config.endpoints.searchReplyPort = 0;
    config.endpoints.heartbeatPort = 0;
    config.endpoints.requestPort = 0;
    config.adapters = std::make_shared<StaticAdapterSource>(std::vector<adapter_record>{
        MakeAdapterRecord("eth0", RawMac{2, 0, 0, 0, 0, 1}, {{"10.89.1.2", "255.255.255.0"}})});
    config.sendHook = [](SocketRole, std::string_view, std::uint16_t, std::uint16_t, std::span<const std::uint8_t>) {
        return true;
    };
    CNetManagement engine(store, config);
    engine.Start();
    {
        CApplicationDlg window(PageServices{engine, store}, CApplicationDlg::Options{{}, false, {}});
        window.show();
        if (maximised)
            window.resize(kMaximised);

        // A search that found nothing explains itself.
        auto* status = dynamic_cast<CStatusDlg*>(window.m_pChildDlg->PageById(ids::kStatusDlg));
        status->SetTimings({5, 1000});
        status->OnSearchButton();
        QElapsedTimer waited;
        waited.start();
        while (!status->IsIdle() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        Shoot(window, args->out, prefix + QStringLiteral("status_nothing_found"));

        for (int n = 1; n <= 10; ++n)
            store.SaveDevice(Device(n));
        for (const PageShot& shot : kPages) {
            window.m_pMenuDlg->ShowPage(shot.button);
            if (CTDialog* page = window.m_pChildDlg->PageById(shot.dialogId))
                if (auto* list = dynamic_cast<CPageDlg*>(page))
                    list->RefreshList();
            Shoot(window, args->out, prefix + QString::fromLatin1(shot.name));
        }
        CAboutDlg about(&window);
        about.show();
        QApplication::processEvents();
        render::SaveShot(about, args->out, prefix + QStringLiteral("about"));
    }
    engine.Shutdown();
    InstallSkin(nullptr);
    return 0;
}
