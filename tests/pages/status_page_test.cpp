// The status page's own actions: renaming in place, opening a device's web page, and the
// discovery run.
#include "pages/status_dlg.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_edit.h"
#include "ui/ct_picture.h"
#include "ui/grid/in_place_edit.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QImage>
#include <QUrl>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace cpe::test {

// Takes the page's "open" requests instead of the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

namespace {

class StatusPage : public PageTest {
protected:
    StatusPage() {
        SetMessageBoxHook([this](const MessageBoxRequest& r) {
            boxes << r.text;
            return int(IDOK);
        });
    }

    // Edits the "Location" cell of `row` the way the operator does: a click makes the grid
    // editable, a second click on the focused cell opens the editor.
    void Rename(CStatusDlg& page, int row, const QString& name) {
        CGridCtrl& grid = *page.Grid();
        ClickCell(grid, row, 1);
        ASSERT_TRUE(grid.IsEditable());
        ClickCell(grid, row, 1);
        CInPlaceEdit* editor = grid.InPlaceEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        editor->insert(name);
        QTest::keyClick(editor, Qt::Key_Tab);
        ASSERT_EQ(grid.InPlaceEditor(), nullptr);
    }

    std::vector<SentDatagram> WaitForSent(MessageType type, std::size_t count) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Sent(type).size() >= count; }, 2000));
        return Sent(type);
    }

    QStringList boxes;
};

TEST_F(StatusPage, RenameWithChineseCharacterIsRefusedAndNothingIsSent) {
    AddDevices(1, 1);
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    Rename(*page, 1, QString::fromUtf8("AP-\u4e2d\u6587"));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.front(), "Device name cannot enter Chinese character!");
    EXPECT_EQ(Cell(*page, 1, ListColumn::kLocation), "cpe-1");
    QTest::qWait(50);
    EXPECT_TRUE(Sent(MessageType::set_name).empty());
}

TEST_F(StatusPage, RenameCutsTheNameTo32BytesAndSendsItToTheRowsAddress) {
    AddDevices(1, 2);
    auto page = MakePage<CStatusDlg>();
    page->SetTimings({1000, 20});
    page->RefreshList();
    const QString name = QStringLiteral("0123456789abcdefghijABCDEFGHIJ-tail-cut");
    ASSERT_EQ(name.size(), 39);
    Rename(*page, 2, name);

    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(Cell(*page, 2, ListColumn::kLocation), name.left(32));
    const auto sent = WaitForSent(MessageType::set_name, 1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].ip, "10.1.0.1");
    EXPECT_EQ(sent[0].from, SocketRole::kRequest);
    ASSERT_EQ(sent[0].payload.size(), 33u);
    EXPECT_EQ(std::string(sent[0].payload.begin(), sent[0].payload.begin() + 32), name.left(32).toStdString());
    EXPECT_EQ(sent[0].payload[32], 32);

    // A short name is zero-padded and carries its own length.
    Rename(*page, 1, QStringLiteral("roof"));
    const auto second = WaitForSent(MessageType::set_name, 2);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[1].ip, "10.1.0.2");
    EXPECT_EQ(second[1].payload[4], 0);
    EXPECT_EQ(second[1].payload[32], 4);

    // The renamed device is then asked for its record, so the store learns the new name.
    const auto requests = WaitForSent(MessageType::get_info, 1);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().ip, "10.1.0.2");
    EXPECT_TRUE(requests.back().payload.empty());

    // One second later (shortened here) the table shows what the store holds.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(*page, 1, ListColumn::kLocation) == "cpe-2"; }, 2000));
    EXPECT_EQ(Cell(*page, 1, ListColumn::kLocation), "cpe-2");
}

TEST_F(StatusPage, UnchangedNameSendsNothing) {
    AddDevices(1, 1);
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    Rename(*page, 1, QStringLiteral("cpe-1"));
    QTest::qWait(50);
    EXPECT_TRUE(Sent(MessageType::set_name).empty());
}

TEST_F(StatusPage, OnlyTheLocationCellOfAStoredDeviceCanBeEdited) {
    AddDevices(1, 1);
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    CGridCtrl& grid = *page->Grid();
    ClickCell(grid, 1, 1);
    ASSERT_TRUE(grid.IsEditable());
    // Keyboard navigation would otherwise carry the editor into the IP column.
    EXPECT_FALSE(grid.EditCell(1, page->Traits().ColumnOf(ListColumn::kIp)));
    EXPECT_EQ(grid.InPlaceEditor(), nullptr);
    ClickCell(grid, 1, page->Traits().ColumnOf(ListColumn::kMac));
    EXPECT_FALSE(grid.IsEditable());
}

TEST_F(StatusPage, DiscoveredRowsIgnoreOperateAndLocation) {
    UrlCatcher urls;
    AddDevices(1, 1);
    AddDiscovered(5);
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    ASSERT_TRUE(page->IsToppedUpRow(2));
    CGridCtrl& grid = *page->Grid();

    ClickCell(grid, 2, 10);
    ClickCell(grid, 2, 1);
    EXPECT_FALSE(grid.IsEditable());
    ClickCell(grid, 2, 1);
    EXPECT_EQ(grid.InPlaceEditor(), nullptr);
    EXPECT_TRUE(urls.opened.isEmpty());

    ClickCell(grid, 1, 10);
    ASSERT_EQ(urls.opened.size(), 1);
    EXPECT_EQ(urls.opened.front(), QUrl("http://10.1.0.1"));
}

TEST_F(StatusPage, RenameReachesTheDeviceOverLoopback) {
    // A device listening on a loopback port; the engine sends it real datagrams.
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);

    EngineConfig config = LoopbackConfig();
    config.endpoints.deviceCommandPort = ntohs(addr.sin_port);
    MakeEngine(config, false);
    ASSERT_TRUE(engine_->Start());
    ap_info_stu device = MakeDevice(1);
    device.ip = {127, 0, 0, 1};
    ASSERT_TRUE(store_->SaveDevice(device));

    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    Rename(*page, 1, QStringLiteral("mast-7"));

    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    std::uint8_t buffer[kMaxDatagram];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    ::close(fd);
    ASSERT_GT(n, 0);
    const std::span<const std::uint8_t> datagram(buffer, static_cast<std::size_t>(n));
    const auto header = ParsePacketHeader(datagram);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->type.get(), TypeCode(MessageType::set_name));
    const std::vector<std::uint8_t> payload = ReadPayload(engine_->PayloadKey(), datagram);
    ASSERT_EQ(payload.size(), 33u);
    EXPECT_EQ(std::string(payload.begin(), payload.begin() + 6), "mast-7");
    EXPECT_EQ(payload[32], 6);
    page.reset();
    engine_->Shutdown();
}

TEST_F(StatusPage, DiscoveryRunBroadcastsEveryThirdTickAndEndsAtThirty) {
    AddDevices(1, 40);
    auto page = MakePage<CStatusDlg>();
    page->SetTimings({15, 1000});
    page->OnPagerSelect(2);
    QTest::keyClicks(page->SearchEdit(), "cpe");
    ASSERT_EQ(page->CurrentPage(), 1);
    page->OnPagerSelect(2);

    QTest::mouseClick(page->SearchButton(), Qt::LeftButton);
    EXPECT_FALSE(page->IsIdle());
    EXPECT_EQ(page->CurrentPage(), 1);
    EXPECT_TRUE(page->SearchText().isEmpty());
    EXPECT_TRUE(page->SearchEdit()->text().isEmpty());
    EXPECT_FALSE(host_.menuEnabled);
    EXPECT_FALSE(host_.autoRefresh);
    EXPECT_FALSE(page->Grid()->isEnabled());
    EXPECT_FALSE(page->SearchEdit()->isEnabled());
    EXPECT_FALSE(page->PageSizeList()->isEnabled());
    EXPECT_TRUE(page->BusyPicture()->isVisible());
    EXPECT_EQ(page->SearchButton()->text(), "Stop");
    const auto first = Sent(MessageType::search);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].ip, "127.255.255.255");
    EXPECT_EQ(first[0].from, SocketRole::kDiscovery);

    // Another page shown meanwhile goes back to page 1 on the next third tick.
    page->OnPagerSelect(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->TickCount() >= 3; }, 2000));
    EXPECT_EQ(page->CurrentPage(), 1);

    ASSERT_TRUE(QTest::qWaitFor([&] { return page->IsIdle(); }, 5000));
    EXPECT_EQ(page->TickCount(), CStatusDlg::kRunTicks);
    EXPECT_EQ(Broadcasts(), 10u) << "at 0 s and every third second up to 27 s";
    EXPECT_TRUE(host_.menuEnabled);
    EXPECT_TRUE(host_.autoRefresh);
    EXPECT_TRUE(page->Grid()->isEnabled());
    EXPECT_FALSE(page->BusyPicture()->isVisible());
    EXPECT_EQ(page->SearchButton()->text(), "Search");
}

TEST_F(StatusPage, SearchPressedDuringARunStopsIt) {
    AddDiscovered(3);
    auto page = MakePage<CStatusDlg>();
    page->SetTimings({1000, 1000});
    QTest::mouseClick(page->SearchButton(), Qt::LeftButton);
    EXPECT_EQ(page->ToppedUpRowCount(), 0) << "a run starts by forgetting the devices only seen";
    QTest::mouseClick(page->SearchButton(), Qt::LeftButton);
    EXPECT_TRUE(page->IsIdle());
    EXPECT_TRUE(host_.menuEnabled);
    EXPECT_TRUE(host_.autoRefresh);
    EXPECT_EQ(Broadcasts(), 1u);
}

TEST_F(StatusPage, ARunThatFindsNothingExplainsItselfInTheEmptyList) {
    auto page = MakePage<CStatusDlg>();
    page->SetTimings({5, 1000});
    CGridCtrl& grid = *page->Grid();
    auto emptyAreaInk = [&] {
        QImage shot(grid.viewport()->size(), QImage::Format_RGB32);
        grid.viewport()->render(&shot);
        int ink = 0;
        for (int y = grid.GetRowHeight(0) + 1; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                ink += shot.pixel(x, y) != shot.pixel(0, shot.height() - 1);
        return ink;
    };
    EXPECT_EQ(emptyAreaInk(), 0);
    QTest::mouseClick(page->SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->IsIdle(); }, 5000));
    ASSERT_EQ(grid.GetRowCount(), 1);
    const QStringList lines = grid.EmptyText().split('\n');
    ASSERT_GE(lines.size(), 4) << grid.EmptyText().toStdString();
    EXPECT_EQ(lines.front(), "The search found no device. What was checked:");
    EXPECT_TRUE(lines.contains("No device answered. The usual causes:"));
    EXPECT_TRUE(lines.contains("- a firewall on this computer or on the way drops UDP 9785-9788;"));
    EXPECT_TRUE(lines.filter("Searches sent: 10.").size() == 1) << grid.EmptyText().toStdString();
    EXPECT_GT(emptyAreaInk(), 200) << "the findings are drawn under the header";

    // The next run starts without them, and a list with devices never shows them.
    AddDevices(1, 2);
    QTest::mouseClick(page->SearchButton(), Qt::LeftButton);
    EXPECT_TRUE(grid.EmptyText().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->IsIdle(); }, 5000));
    EXPECT_EQ(grid.GetRowCount(), 3);
    EXPECT_TRUE(grid.EmptyText().isEmpty());
}

}  // namespace
}  // namespace cpe::test

#include "status_page_test.moc"
