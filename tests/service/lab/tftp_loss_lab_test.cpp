// The TFTP helper over a lossy link, as an operator's lab would try it: each real client fetches
// a firmware-sized file from cpe-tftpd five times, all at once, while the lab's link loses 3 % of
// the packets each way. Every copy must arrive byte-exact.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>

#include "tests/service/lab/real_tftp_clients.h"
#include "tests/support/temp_dir.h"

namespace cpe::service::test {
namespace {

// curl asks for a 6-second timeout, and both servers wait that long for each lost packet; a
// 128 KiB file keeps its five fetches within a few minutes.
constexpr std::size_t kFileBytes = 128 * 1024;
constexpr int kTries = 5;
constexpr int kLossPercent = 3;
constexpr std::uint16_t kPort = 69;

TEST(TftpLossLabTest, EveryRealClientFetchesByteExactAtThreePercentLossEachWay) {
    const auto lab = LossLab::FromEnvironment();
    if (!lab)
        GTEST_SKIP() << "not inside the network lab; ctest runs this through tools/netlab.sh run";
    cpe::test::TempDir work;
    const auto folder = work.path() / "www";
    std::filesystem::create_directory(folder);
    WriteRandomFile(folder / "fw.bin", kFileBytes, 25);
    auto helper = lab->StartHelper(CPE_HELPER_DIR, folder, kPort, work.path() / "cpe-tftpd.log");
    ASSERT_TRUE(helper) << "cpe-tftpd did not start";
    ASSERT_TRUE(lab->SetLoss(kLossPercent));

    std::vector<ClientFetch> fetches;
    for (const auto& client : RealTftpClients())
        for (int i = 0; i < kTries; ++i)
            fetches.push_back({&client, kPort});
    const auto outcomes = lab->FetchAll(fetches, folder / "fw.bin", work.path(), std::chrono::seconds(330));
    lab->SetLoss(0);
    helper->Terminate();

    for (std::size_t i = 0; i < fetches.size(); ++i)
        EXPECT_TRUE(outcomes[i].exact) << outcomes[i].detail;
    if (::testing::Test::HasFailure()) {
        std::ifstream log(work.path() / "cpe-tftpd.log");
        std::cerr << "cpe-tftpd's log:\n" << log.rdbuf();
    }
}

}  // namespace
}  // namespace cpe::service::test
