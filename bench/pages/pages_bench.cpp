// The status page's reload with 10,000 devices in the store: the query, the grid fill and a paint
// of the whole page into an image, for 30 and 100 rows a page, next to the bare store query of
// the same page as the baseline.
#include <QApplication>
#include <QComboBox>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/net_management.h"
#include "pages/status_dlg.h"
#include "store/sql_management.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/skin_settings.h"

namespace cpe {
namespace {

constexpr int kDevices = 10000;
constexpr int kRuns = 41;

class BenchHost final : public PageHostLink {
public:
    bool AutoRefresh() const override { return true; }
    void SetAutoRefresh(bool) override {}
    void EnableMenuButtons(bool) override {}
    QObject* PagerTarget() override { return nullptr; }
    int CurrentPageId() const override { return CStatusDlg::kDialogId; }
};

ap_info_stu Device(int n) {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    char mac[18];
    std::snprintf(mac, sizeof mac, "00:1a:2b:%02x:%02x:%02x", (n >> 16) & 0xff, (n >> 8) & 0xff, n & 0xff);
    std::memcpy(r.mac, mac, sizeof mac);
    r.ap_type.set(static_cast<std::uint16_t>(1 + n % 6));
    r.ap_status.set(n % 5 == 0 ? 0 : 1);
    r.work_mode = static_cast<std::uint8_t>(1 + n % 7);
    r.up_time.set(static_cast<std::uint32_t>(n * 977));
    r.ip = {10, static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    r.ip_mask = {255, 0, 0, 0};
    r.ap_name.assign("tower-" + std::to_string(n % 997) + "-cpe-" + std::to_string(n));
    r.version.assign("V2.1." + std::to_string(n % 13));
    r.ssid.assign("wisp-" + std::to_string(n % 37));
    r.channel = static_cast<std::uint8_t>(n % 14);
    r.tx_power = static_cast<std::uint8_t>(n % 28);
    return r;
}

double MedianMs(const std::function<void()>& run) {
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(ms.begin(), ms.begin() + kRuns / 2, ms.end());
    return ms[kRuns / 2];
}

}  // namespace
}  // namespace cpe

int main(int argc, char** argv) {
    using namespace cpe;
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // The shipped look, so that the paint draws the real fonts and status icons.
    SkinSettings skin;
    LoadSkinSettings(skin, CPE_SOURCE_DIR "/resources/", "bench");
    InitSkinPaths(skin, CPE_SOURCE_DIR "/resources/", 1033);
    InstallSkin(&skin);

    char pattern[] = "/tmp/cpe-pages-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 2;
    const std::filesystem::path dir = pattern;
    int failures = 0;
    {
        CSqlManagement store(dir / "data.db");
        EngineConfig config;
        config.endpoints.bindAddress = "127.0.0.1";
        config.adapters = std::make_shared<StaticAdapterSource>(std::vector<adapter_record>{});
        config.sendHook = [](SocketRole, std::string_view, std::uint16_t, std::uint16_t,
                             std::span<const std::uint8_t>) { return true; };
        CNetManagement engine(store, config);
        for (int n = 1; n <= kDevices; ++n) {
            const ap_info_stu device = Device(n);
            if (!store.SaveDevice(device) || !store.SetDeviceStatus(device.mac, device.ap_status.get()))
                return 2;
        }

        BenchHost host;
        CStatusDlg page(nullptr, host, PageServices{engine, store});
        page.show();
        QImage image(page.size(), QImage::Format_RGB32);

        std::printf("status page RefreshPage, %d devices, median of %d runs (query + grid fill + paint)\n", kDevices,
                    kRuns);
        std::printf("%-10s %-12s %10s %10s %10s %8s\n", "rows/page", "page", "query ms", "page ms", "paint ms",
                    "ratio");
        for (const char* size : {"30", "100"}) {
            page.PageSizeList()->setCurrentIndex(page.PageSizeList()->findText(size));
            const int pageSize = page.PageSize();
            const int last = (kDevices + pageSize - 1) / pageSize;
            for (int number : {1, last / 2, last}) {
                const double query = MedianMs([&] {
                    int pages = 0, online = 0;
                    std::vector<ap_info_stu> out;
                    store.GetDevicePage(CSqlManagement::kSortIpNum, false, pageSize, number, {}, pages, online, out);
                });
                const double refresh = MedianMs([&] {
                    page.RefreshPage(number, false, page.SortColumn(), QString());
                    page.render(&image);
                });
                const double paint = MedianMs([&] { page.render(&image); });
                const int expectedRows = number == last ? kDevices - (last - 1) * pageSize : pageSize;
                if (page.Grid()->GetRowCount() != 1 + expectedRows || page.OnlineCount() != kDevices - kDevices / 5) {
                    std::printf("page %d: %d rows, online count %d\n", number, page.Grid()->GetRowCount() - 1,
                                page.OnlineCount());
                    ++failures;
                }
                std::printf("%-10d %-12d %10.2f %10.2f %10.2f %7.1fx\n", pageSize, number, query, refresh, paint,
                            refresh / std::max(query, 1e-3));
            }
        }
        // A search over the whole table and a sort on a text column.
        page.PageSizeList()->setCurrentIndex(page.PageSizeList()->findText("30"));
        const double search = MedianMs([&] {
            page.RefreshPage(1, true, page.SortColumn(), QStringLiteral("tower-42-"));
            page.render(&image);
        });
        const double byName = MedianMs([&] {
            page.RefreshPage(1, true, page.Traits().ColumnOf(ListColumn::kLocation), QString());
            page.render(&image);
        });
        std::printf("30 rows, search \"tower-42-\": %.2f ms; sorted by name: %.2f ms\n", search, byName);
    }
    std::filesystem::remove_all(dir);
    return failures == 0 ? 0 : 1;
}
