// A page under test: a real store on a scratch file, a real engine bound to loopback with a
// loopback adapter list and every datagram it sends captured, and a page host that routes pager
// choices and records what the pages ask of it.
#pragma once

#include <arpa/inet.h>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/net_management.h"
#include "pages/list_page.h"
#include "protocol/codes.h"
#include "protocol/packet.h"
#include "store/sql_management.h"
#include "tests/support/loopback_engine.h"
#include "tests/support/qt_app.h"
#include "tests/support/sent_datagrams.h"
#include "tests/support/temp_dir.h"
#include "ui/ct_multi_pages.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/message_box.h"

namespace cpe::test {

class FakeHost : public QObject, public PageHostLink {
public:
    bool AutoRefresh() const override { return autoRefresh; }
    void SetAutoRefresh(bool on) override { autoRefresh = on; }
    void EnableMenuButtons(bool enable) override { menuEnabled = enable; }
    QObject* PagerTarget() override { return this; }
    int CurrentPageId() const override { return currentPage; }

    bool event(QEvent* e) override {
        if (e->type() != PagerSelectEvent::EventType())
            return QObject::event(e);
        auto* choice = static_cast<PagerSelectEvent*>(e);
        if (auto it = pages.find(choice->OwnerPageId()); it != pages.end())
            it->second->OnPagerSelect(choice->Page());
        return true;
    }

    bool autoRefresh = true;
    bool menuEnabled = true;
    int currentPage = 133;
    std::map<int, CPageDlg*> pages;
};

inline EngineConfig LoopbackConfig() { return LoopbackEngineConfig({LoopbackAdapter()}); }

inline std::string DeviceMac(int n) {
    char text[18];
    std::snprintf(text, sizeof text, "00:1a:2b:00:%02x:%02x", (n >> 8) & 0xff, n & 0xff);
    return text;
}

// Device n: IP 10.1.<n/256>.<n%256>, name "cpe-<n>", online (status 1).
inline ap_info_stu MakeDevice(int n, int status = 1) {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    const std::string mac = DeviceMac(n);
    std::memcpy(r.mac, mac.c_str(), mac.size() + 1);
    r.ap_type.set(1);
    r.ap_status.set(status);
    r.work_mode = 1;
    r.up_time.set(100);
    r.ip = {10, 1, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    r.ip_mask = {255, 255, 0, 0};
    r.ap_name.assign("cpe-" + std::to_string(n));
    r.version.assign("V1.0");
    r.ssid.assign("net");
    r.channel = 6;
    return r;
}

class PageTest : public ::testing::Test {
protected:
    PageTest() { MakeEngine(LoopbackConfig(), true); }
    ~PageTest() override { SetMessageBoxHook({}); }

    // Replaces the engine; with `capture` every datagram is recorded instead of sent.
    void MakeEngine(EngineConfig config, bool capture) {
        engine_.reset();
        if (capture)
            config.sendHook = sent_.Hook();
        engine_ = std::make_unique<CNetManagement>(*store_, std::move(config));
    }

    PageServices Services() { return PageServices{*engine_, *store_}; }

    template <class Page>
    std::unique_ptr<Page> MakePage() {
        auto page = std::make_unique<Page>(nullptr, host_, Services());
        host_.pages[page->DialogId()] = page.get();
        page->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        return page;
    }

    void AddDevices(int first, int count, int status = 1) {
        for (int n = first; n < first + count; ++n) {
            ASSERT_TRUE(store_->SaveDevice(MakeDevice(n, status)));
            ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(n), status));
        }
    }

    // A device that answered a search but has not sent its record.
    void AddDiscovered(int n) {
        search_summary s;
        std::memset(&s, 0, sizeof s);
        s.version.assign("V9.9");
        s.ap_name.assign("seen-" + std::to_string(n));
        const RawMac mac{0x00, 0x2c, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(n)};
        const auto packet = BuildDevicePacket(engine_->PayloadKey(), 1, mac, MessageType::search, BytesOf(s));
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_port = htons(9786);
        from.sin_addr.s_addr = htonl(0x7f000100u + static_cast<std::uint32_t>(n));
        ASSERT_TRUE(engine_->ProcessDatagram(PortRole::kSearchReply, from, packet));
    }

    std::vector<SentDatagram> Sent(MessageType type) { return sent_.OfType(type); }
    // The discovery broadcasts sent so far.
    std::size_t Broadcasts() {
        std::size_t n = 0;
        for (const SentDatagram& d : Sent(MessageType::search))
            n += d.from == SocketRole::kDiscovery ? 1 : 0;
        return n;
    }

    static QPoint CellCentre(CGridCtrl& grid, int row, int col) { return grid.CellRect(row, col).center(); }
    static void ClickCell(CGridCtrl& grid, int row, int col) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, row, col));
    }
    static QString Cell(const CListPageDlg& page, int row, ListColumn kind) {
        return page.Grid()->GetItemText(row, page.Traits().ColumnOf(kind));
    }
    // The column of a kind across the data rows.
    static QStringList Column(const CListPageDlg& page, ListColumn kind) {
        QStringList out;
        for (int row = 1; row < page.Grid()->GetRowCount(); ++row)
            out << Cell(page, row, kind);
        return out;
    }

    TempDir dir_;
    SentLog sent_;
    std::unique_ptr<CSqlManagement> store_ = std::make_unique<CSqlManagement>(dir_ / "data.db");
    std::unique_ptr<CNetManagement> engine_;
    FakeHost host_;
};

}  // namespace cpe::test
