// The adapter page filled from an injected adapter list.
#include "pages/system_tool_dlg.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_static.h"

namespace cpe::test {
namespace {

// A list the test changes while the page runs.
class ChangingAdapters final : public AdapterSource {
public:
    std::vector<adapter_record> Read() override {
        std::lock_guard lock(mutex);
        return records;
    }
    std::mutex mutex;
    std::vector<adapter_record> records;
};

using AdapterPage = PageTest;

TEST_F(AdapterPage, ListsUsableAdaptersWithAllTheirAddresses) {
    auto adapters = std::make_shared<ChangingAdapters>();
    adapters->records.push_back(MakeAdapterRecord("eth0", RawMac{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e},
                                                  {{"192.168.0.10", "255.255.255.0"}, {"10.0.0.5", "255.0.0.0"}}));
    adapters->records.push_back(MakeAdapterRecord("eth1", RawMac{1, 2, 3, 4, 5, 6}, {{"0.0.0.0", "0.0.0.0"}}));
    EngineConfig config = LoopbackConfig();
    config.adapters = adapters;
    MakeEngine(config, true);

    auto page = MakePage<CSystemToolDlg>();
    page->SetRefreshInterval(20);
    CGridCtrl& grid = *page->Grid();
    ASSERT_EQ(grid.GetColumnCount(), 4);
    EXPECT_EQ(grid.GetColumnWeight(1), 350);
    ASSERT_EQ(grid.GetRowCount(), 2) << "an adapter without an address is not listed";
    EXPECT_EQ(grid.GetItemText(1, 0), "1");
    EXPECT_EQ(grid.GetItemText(1, 1), "eth0");
    EXPECT_EQ(grid.GetItemText(1, 2), "00:1a:2b:3c:4d:5e");
    EXPECT_EQ(grid.GetItemText(1, 3), "192.168.0.10--10.0.0.5");
    EXPECT_EQ(page->CountLabel()->text(), "Adapter count:1");
    EXPECT_FALSE(grid.IsEditable());

    {
        std::lock_guard lock(adapters->mutex);
        adapters->records.push_back(
            MakeAdapterRecord("wlan0", RawMac{0, 0, 0, 0, 0, 9}, {{"172.16.1.2", "255.255.0.0"}}));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.GetRowCount() == 3; }, 2000));
    EXPECT_EQ(grid.GetItemText(2, 0), "2");
    EXPECT_EQ(grid.GetItemText(2, 3), "172.16.1.2");
    EXPECT_EQ(page->CountLabel()->text(), "Adapter count:2");

    // Adapters that go away leave the table.
    {
        std::lock_guard lock(adapters->mutex);
        adapters->records.clear();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.GetRowCount() == 1; }, 2000));
    EXPECT_EQ(page->CountLabel()->text(), "Adapter count:0");
}

TEST_F(AdapterPage, AddressCountBeyondTheRecordIsNotTrusted) {
    adapter_record record = MakeAdapterRecord("eth0", RawMac{}, {{"192.168.0.10", "255.255.255.0"}});
    record.address_count.set(1000);
    EXPECT_EQ(CSystemToolDlg::AddressesText(record), "192.168.0.10" + QString("--").repeated(kMaxAdapterAddresses - 1));
    record.address_count.set(-4);
    EXPECT_TRUE(CSystemToolDlg::AddressesText(record).isEmpty());
}

}  // namespace
}  // namespace cpe::test
