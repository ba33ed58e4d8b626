// The management page under test: a real store and an engine whose datagrams are recorded, the
// page host of the page tests, message boxes answered and recorded, and a way to act on the
// modal dialogs the page opens while its modal call runs.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QTimer>

#include <chrono>
#include <functional>

#include "actions/common/record_slices.h"
#include "config/management_dlg.h"
#include "tests/actions/config/config_fixture.h"
#include "tests/pages/page_fixture.h"
#include "ui/grid/grid_ctrl.h"

namespace cpe::test {

using namespace std::chrono_literals;

// Runs `act` on the first modal dialog of type T that shows within `limit`, from inside the event
// loop of its modal call. A dialog that never shows fails the test.
template <class T>
void WhenModal(std::function<void(T&)> act, std::chrono::milliseconds limit = 5s) {
    auto* poll = new QTimer;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act), deadline] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        const bool late = std::chrono::steady_clock::now() > deadline;
        if (!dialog && !late)
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog)
            act(*dialog);
        else
            ADD_FAILURE() << "no modal " << T::staticMetaObject.className() << " showed";
    });
    poll->start(5);
}

// Clicks a check box on its box, as the operator does (its middle may lie past its text).
inline void ClickBox(QCheckBox& box) { QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2)); }

struct ShownBox {
    QString text;
    MessageIcon icon;
};

class ConfigPageTest : public PageTest {
protected:
    ConfigPageTest() {
        platform::SetAnsiCodeset("UTF-8");
        SetMessageBoxHook([this](const MessageBoxRequest& r) {
            boxes.push_back({r.text, r.icon});
            return int(IDOK);
        });
    }
    ~ConfigPageTest() override { platform::SetAnsiCodeset(""); }

    void Store(const ap_info_stu& device) {
        ASSERT_TRUE(store_->SaveDevice(device));
        ASSERT_TRUE(store_->SetDeviceStatus(device.mac, 1));
    }

    // The management page with the store's devices listed; the wait popup steps every 2 ms.
    std::unique_ptr<CManagementDlg> ListedPage() {
        auto page = MakePage<CManagementDlg>();
        page->SetTimings({1000ms, 2ms});
        page->RefreshList();
        return page;
    }

    static int RowOf(const CManagementDlg& page, const char* mac) {
        return static_cast<int>(Column(page, ListColumn::kMac).indexOf(QString::fromLatin1(mac))) + 1;
    }

    // Clicks the "Operate" cell of the device's row and runs `act` on the dialog it opens.
    void Operate(CManagementDlg& page, const char* mac, std::function<void(CManagementConfigDlg&)> act) {
        const int row = RowOf(page, mac);
        ASSERT_GE(row, 1) << mac << " is not listed";
        WhenModal<CManagementConfigDlg>(std::move(act));
        ClickCell(*page.Grid(), row, page.Traits().ColumnOf(ListColumn::kOperate));
    }

    // The configuration requests sent since the last call, in sending order. The page's sender
    // thread can start late on a loaded machine: the first request is waited for (two seconds at
    // most), then the rest of its burst.
    std::vector<SentDatagram> ConfigurationSent() {
        std::vector<SentDatagram> out;
        const auto collect = [&] {
            for (SentDatagram& d : sent_.Take())
                if (d.type != TypeCode(MessageType::get_info) && d.type != TypeCode(MessageType::search))
                    out.push_back(std::move(d));
            return !out.empty();
        };
        static_cast<void>(QTest::qWaitFor(collect, 2000));
        QTest::qWait(50);
        collect();
        return out;
    }

    static std::vector<std::uint16_t> TypesOf(const std::vector<SentDatagram>& sent) {
        std::vector<std::uint16_t> types;
        for (const SentDatagram& d : sent)
            types.push_back(d.type);
        return types;
    }

    std::vector<ShownBox> boxes;
};

}  // namespace cpe::test
