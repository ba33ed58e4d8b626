// The bridge page under test: a real store and an engine whose sends are captured (page_fixture.h),
// devices with the mode switch, model and radio the case needs, survey replies delivered as the
// device would send them, and every message box recorded instead of shown.
#pragma once

#include <arpa/inet.h>

#include <vector>

#include "bridge/bridge_config_dlg.h"
#include "bridge/bridge_dlg.h"
#include "bridge/bridge_survey_dlg.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_picture.h"

namespace cpe::test {

// Short periods: a model-set-B survey ticks every 20 ms, any other waits 150 ms.
inline constexpr actions::BridgeTimings kFastTimings{std::chrono::milliseconds(20), std::chrono::milliseconds(150),
                                                     std::chrono::milliseconds(40)};

// An access point heard in a survey: MAC 02:aa:00:00:00:<i>, SSID "ap-<i>".
inline config_otherwl_basic HeardAp(int i, int secureMode = 0, int channel = 6, int signal = -50) {
    config_otherwl_basic e{};
    e.mac = {0x02, 0xaa, 0, 0, 0, static_cast<std::uint8_t>(i)};
    e.signal = static_cast<std::int8_t>(signal);
    e.channel = static_cast<std::uint8_t>(channel);
    e.secure_mode = static_cast<std::uint8_t>(secureMode);
    e.ssid.assign("ap-" + std::to_string(i));
    return e;
}

class BridgeTest : public PageTest {
protected:
    BridgeTest() {
        SetMessageBoxHook([this](const MessageBoxRequest& r) {
            boxes.push_back(r);
            return int(IDOK);
        });
    }

    // Device n (page_fixture.h) with its mode switch, model code and radio.
    void AddDevice(int n, int modeSwitch = 0, int model = 1, int rfType = 0) {
        ap_info_stu r = MakeDevice(n);
        r.mode_btn_status = static_cast<std::uint8_t>(modeSwitch);
        r.ap_type.set(static_cast<std::uint16_t>(model));
        r.rf_type = static_cast<std::uint8_t>(rfType);
        r.ip_gateway = {10, 1, 0, 254};
        r.ip_dns1 = {10, 1, 0, 254};
        ASSERT_TRUE(store_->SaveDevice(r));
    }

    std::unique_ptr<CBridgeDlg> MakeBridgePage() {
        auto page = MakePage<CBridgeDlg>();
        page->SetTimings(kFastTimings);
        page->RefreshList();
        return page;
    }

    // The data row of device n on the page, or -1.
    static int RowOf(const CBridgeDlg& page, int n) {
        const QString mac = QString::fromStdString(DeviceMac(n));
        for (int row = 1; row < page.Grid()->GetRowCount(); ++row)
            if (Cell(page, row, ListColumn::kMac) == mac)
                return row;
        return -1;
    }

    // Clicks the "Operate" cell of device n; the wizard it opens, or null.
    CBridgeConfigDlg* Operate(CBridgeDlg& page, int n) {
        const int row = RowOf(page, n);
        EXPECT_GT(row, 0);
        ClickCell(*page.Grid(), row, page.Traits().ColumnOf(ListColumn::kOperate));
        return page.Wizard();
    }

    // A site-survey reply of device n (model `model`): the entries in packets of at most 32.
    void DeliverSurvey(int n, const std::vector<config_otherwl_basic>& entries, int model = 1) {
        const std::size_t count = std::max<std::size_t>(1, (entries.size() + 31) / 32);
        for (std::size_t p = 0; p < count; ++p) {
            survey_packet packet{};
            packet.packet_count = static_cast<std::uint8_t>(count);
            packet.packet_id = static_cast<std::uint8_t>(p);
            for (std::size_t i = p * 32; i < entries.size() && i < (p + 1) * 32; ++i)
                packet.entries[packet.icount++] = entries[i];
            const auto datagram = BuildDevicePacket(engine_->PayloadKey(), static_cast<std::uint16_t>(model),
                                                    ParseMac(DeviceMac(n)), MessageType::site_survey, BytesOf(packet));
            sockaddr_in from{};
            from.sin_family = AF_INET;
            from.sin_port = htons(9787);
            from.sin_addr.s_addr = htonl(0x0A010000u + static_cast<std::uint32_t>(n));
            ASSERT_TRUE(engine_->ProcessDatagram(PortRole::kRequest, from, datagram));
        }
    }

    static bool WaitForScanEnd(CBridgeConfigDlg& wizard, int ms = 3000) {
        return QTest::qWaitFor([&] { return !wizard.SurveyStep()->IsScanning(); }, ms);
    }
    static int SurveyRows(CBridgeConfigDlg& wizard) { return wizard.SurveyStep()->Grid()->GetRowCount() - 1; }
    static void Tick(CBridgeConfigDlg& wizard, int row) {
        ClickCell(*wizard.SurveyStep()->Grid(), row, CBridgeSearcgAPDlg::kSelect);
    }
    static void Next(CBridgeConfigDlg& wizard) { QTest::mouseClick(wizard.NextButton(), Qt::LeftButton); }
    static void Back(CBridgeConfigDlg& wizard) { QTest::mouseClick(wizard.BackButton(), Qt::LeftButton); }

    std::vector<MessageBoxRequest> boxes;
};

}  // namespace cpe::test
