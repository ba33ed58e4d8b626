// Engine threads write while the window thread pages and searches: the store must stay
// consistent (one row per MAC, counts that add up) and free of data races.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "store/sql_management.h"
#include "tests/store/store_test_support.h"

namespace cpe {
namespace {

constexpr int kDevices = 200;

TEST(StoreConcurrency, WritersAndAReaderKeepTheTableConsistent) {
    test::ScratchFolder folder;
    CSqlManagement store(folder.File("data.mdb"));
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);

    // Each writer owns a third of the MACs, so the final state of each is known.
    auto writer = [&](int id) {
        for (int round = 0; !stop; ++round) {
            for (int n = id; n < kDevices; n += 3) {
                const std::string mac = test::MacText(n);
                switch ((round + n) % 4) {
                case 0: failures += !store.SaveDevice(test::MakeDevice(n)); break;
                case 1:
                    store.UpdateHeartbeat("10.0.0." + std::to_string(n % 250), mac, static_cast<std::uint32_t>(round));
                    break;
                case 2: store.SetDeviceStatus(mac, round % 10); break;
                case 3: failures += !store.DeleteDevice(mac); break;
                }
            }
        }
    };
    std::thread writers[] = {std::thread(writer, 0), std::thread(writer, 1), std::thread(writer, 2)};

    int pagesRead = 0;
    while (std::chrono::steady_clock::now() < until) {
        for (const char* search : {"", "cpe-1", "10"}) {
            int pages = 0, online = 0;
            std::vector<ap_info_stu> rows;
            if (!store.GetDevicePage(CSqlManagement::kSortIpNum, pagesRead % 2 == 0, 30, 1 + pagesRead % 3, search,
                                     pages, online, rows)) {
                ++failures;
                continue;
            }
            if (rows.size() > 30 || online > pages * 30)
                ++failures;
            ++pagesRead;
        }
    }
    stop = true;
    for (std::thread& t : writers)
        t.join();
    EXPECT_EQ(failures, 0);
    EXPECT_GT(pagesRead, 0);

    // Settle: every device saved once more, then every MAC must be there exactly once.
    for (int n = 0; n < kDevices; ++n)
        ASSERT_TRUE(store.SaveDevice(test::MakeDevice(n)));
    int pages = 0, online = 0;
    std::vector<ap_info_stu> rows;
    ASSERT_TRUE(store.GetDevicePage(CSqlManagement::kSortMac, true, 1000, 1, "", pages, online, rows));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kDevices));
    EXPECT_EQ(online, kDevices);
    for (int n = 0; n < kDevices; ++n)
        EXPECT_STREQ(rows[n].mac, test::MacText(n).c_str());
}

}  // namespace
}  // namespace cpe
