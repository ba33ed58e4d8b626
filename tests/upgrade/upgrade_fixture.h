// The upgrade page and dialog under test: a store on a scratch file, an engine on loopback whose
// datagrams are recorded instead of sent, the real helper programs listening on free loopback
// ports, the upgrade's timers on a clock two hundred times faster, and message boxes and file
// dialogs answered by the test.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actions/upgrade/operate_system_info.h"
#include "protocol/codes.h"
#include "tests/pages/page_fixture.h"
#include "tests/support/free_port.h"
#include "ui/ct_button_picture.h"
#include "upgrade/upgrade_config_dlg.h"
#include "upgrade/upgrade_dlg.h"

namespace cpe::test {

// Calls `act` with the modal window of type T once it is open (a page's modal call runs it).
template <class T>
void WhenModalOpens(std::function<void(T&)> act) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*window);
        }
    });
    poll->start();
}

// The next file dialog chooses `path`.
inline void AnswerFileDialog(const QString& path) {
    WhenModalOpens<QFileDialog>([path](QFileDialog& dialog) {
        dialog.selectFile(path);
        static_cast<QDialog&>(dialog).accept();  // the file dialog's own check of the choice
    });
}

class UpgradeTest : public PageTest {
protected:
    UpgradeTest() {
        layout_.serviceDir = CPE_HELPER_DIR;
        layout_.iniDir = ini_.path();
        layout_.tftpPort = FreeLoopbackPort(SOCK_DGRAM);
        layout_.httpPort = FreeLoopbackPort(SOCK_STREAM);
        helpers_ = std::make_unique<actions::COperateSystemInfo>(layout_);
        for (auto* period :
             {&timings_.transferPeriod, &timings_.flashPeriod, &timings_.followUpPeriod, &timings_.statusPeriod})
            *period = std::chrono::milliseconds(5);
        timings_.fileServerFirstWait = timings_.fileServerRetryWait = std::chrono::milliseconds(10);
        WriteBytes(firmware_ / kFirmware, std::string(4096, 'f'));
        SetMessageBoxHook([this](const MessageBoxRequest& box) {
            boxes_.push_back(box.text);
            return answer_;
        });
    }

    static constexpr const char* kFirmware = "fw_axel_2.0.bin";

    // Device n of `model`, on loopback (127.0.1.n) so that the helpers find a local address.
    void AddDevice(int n, int model, int status = 1) {
        ap_info_stu r = MakeDevice(n, status);
        r.ap_type.set(static_cast<std::uint16_t>(model));
        r.ip = {127, 0, 1, static_cast<std::uint8_t>(n)};
        ASSERT_TRUE(store_->SaveDevice(r));
        ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(n), status));
    }
    static actions::UpgradeTarget Target(int n, int model) {
        return {"127.0.1." + std::to_string(n), DeviceMac(n), model};
    }
    UpgradeServices Upgrade() { return {*engine_, *store_, *helpers_, timings_}; }
    std::unique_ptr<CUpgradeConfigDlg> MakeDialog(std::vector<actions::UpgradeTarget> targets) {
        auto dialog = std::make_unique<CUpgradeConfigDlg>(std::move(targets), Upgrade());
        dialog->show();
        return dialog;
    }
    QString FirmwarePath() const { return QString::fromStdString((firmware_ / kFirmware).string()); }
    void ChooseFirmware(CUpgradeConfigDlg& dialog) {
        AnswerFileDialog(FirmwarePath());
        QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
    }
    // Where the upgrade requests went, in sending order.
    std::vector<std::string> UpgradedIps() {
        std::vector<std::string> ips;
        for (const SentDatagram& d : Sent(MessageType::upgrade))
            ips.push_back(d.ip);
        return ips;
    }
    // Whether the helper of that name this test started is still running.
    bool HelperRunning(const char* name) { return helpers_->FindProcess(name) != 0; }

    TempDir ini_, firmware_;
    actions::HelperLayout layout_;
    std::unique_ptr<actions::COperateSystemInfo> helpers_;
    actions::UpgradeTimings timings_;
    std::vector<QString> boxes_;
    int answer_ = IDOK;
};

}  // namespace cpe::test
