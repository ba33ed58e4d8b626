#include <httplib.h>

#include <algorithm>
#include <optional>
#include <set>
#include <thread>

#include "engine/payload_blocks.h"
#include "sim/firmware_fetch.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/sim/tiny_tftp_server.h"

namespace cpe::lab {
namespace {

using std::chrono::seconds;

std::vector<std::uint8_t> Image(std::size_t size, std::uint8_t salt) {
    std::vector<std::uint8_t> v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = static_cast<std::uint8_t>(i * 167 + salt);
    return v;
}

std::string Hex(std::uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

// Follows the statuses a device's row takes, as the upgrade dialog's timer would see them.
class StatusTrail {
public:
    StatusTrail(Utility& utility, std::string mac) : utility_(utility), mac_(std::move(mac)) {}
    bool WaitFor(int status, seconds limit) {
        return WaitUntil(
            [&] {
                const auto row = utility_.Row(mac_);
                const int s = row ? row->ap_status.get() : -1;
                if (seen_.empty() || seen_.back() != s)
                    seen_.push_back(s);
                return s == status;
            },
            limit, std::chrono::milliseconds(10));
    }
    const std::vector<int>& Seen() const { return seen_; }

private:
    Utility& utility_;
    std::string mac_;
    std::vector<int> seen_;
};

TEST_F(LabTest, UpgradeFetchesOverTftpOrHttpByModelSetAndReportsItsStates) {
    // Test file servers of our own on this side; the helper servers are not part of this test.
    const auto tftpImage = Image(512 * 40 + 17, 3);
    const auto httpImage = Image(300000, 9);
    httplib::Server http;
    http.Get("/fw_setb_2.0.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(httpImage.begin(), httpImage.end()), "application/octet-stream");
    });
    const int httpPort = http.bind_to_any_port("0.0.0.0");
    std::thread server([&] { http.listen_after_bind(); });
    std::optional<sim::test_support::TinyTftpServer> tftp(std::in_place, tftpImage, "fw_a_1.4.bin", 5, INADDR_ANY);
    const std::uint16_t tftpPort = tftp->Port();

    StartAndDiscover({"--devices", "10", "--reboot-ms", "3000", "--apply-ms", "300", "--tftp-port",
                      std::to_string(tftpPort), "--http-port", std::to_string(httpPort)},
                     10);
    const auto devices = Devices();
    const std::string macA = devices[0]["mac"].Str();  // model 1
    const std::string macB = devices[3]["mac"].Str();  // model 4, set B
    ASSERT_EQ(devices[0]["model"].Int(), 1);
    ASSERT_EQ(devices[3]["model"].Int(), 4);
    auto& e = utility_->Engine();

    e.SetUpgradeModelCode(1);
    StatusTrail a(*utility_, macA);
    e.SendCommand(devices[0]["ip"].Str(), MessageType::upgrade, MakeUpgradeBlock("fw_a_1.4.bin"));
    EXPECT_TRUE(a.WaitFor(8, seconds(10)));
    EXPECT_TRUE(std::count(a.Seen().begin(), a.Seen().end(), 7)) << "Upgrading was shown";
    auto dA = sim_->Device(macA);
    EXPECT_EQ(dA["upgrade"]["protocol"].Str(), "tftp");
    EXPECT_EQ(dA["upgrade"]["bytes"].Int(), static_cast<std::int64_t>(tftpImage.size()));
    EXPECT_EQ(dA["upgrade"]["fnv1a"].Str(), Hex(sim::Fnv1a(sim::kFnvOffset, tftpImage.data(), tftpImage.size())));
    // The device restarts on its new firmware and comes back with it.
    EXPECT_TRUE(a.WaitFor(1, seconds(10)));
    EXPECT_EQ(utility_->Row(macA)->version.text(), "fw_a_1.4");

    e.SetUpgradeModelCode(4);
    StatusTrail b(*utility_, macB);
    e.SendCommand(devices[3]["ip"].Str(), MessageType::upgrade, MakeUpgradeBlock("fw_setb_2.0.bin"));
    ASSERT_TRUE(b.WaitFor(6, seconds(5)));  // "Upgrade wait": nothing moves without the poll
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(sim_->Device(macB)["upgrade"]["phase"].Str(), "waiting_poll");
    e.SendCommand(devices[3]["ip"].Str(), MessageType::upgrade_poll);
    EXPECT_TRUE(b.WaitFor(8, seconds(10)));
    EXPECT_TRUE(std::count(b.Seen().begin(), b.Seen().end(), 7)) << "the poll reply set Upgrading";
    const auto dB = sim_->Device(macB);
    EXPECT_EQ(dB["upgrade"]["protocol"].Str(), "http");
    EXPECT_EQ(dB["upgrade"]["bytes"].Int(), static_cast<std::int64_t>(httpImage.size()));
    EXPECT_EQ(dB["upgrade"]["fnv1a"].Str(), Hex(sim::Fnv1a(sim::kFnvOffset, httpImage.data(), httpImage.size())));

    // A file the server does not have ends in "Upgrade fail" (the test server answers one
    // request, so a fresh one takes this one).
    tftp.reset();
    tftp.emplace(tftpImage, "fw_a_1.4.bin", 0, INADDR_ANY, tftpPort);
    e.SetUpgradeModelCode(1);
    StatusTrail c(*utility_, devices[1]["mac"].Str());
    e.SendCommand(devices[1]["ip"].Str(), MessageType::upgrade, MakeUpgradeBlock("missing.bin"));
    EXPECT_TRUE(c.WaitFor(9, seconds(10)));
    http.stop();
    server.join();
}

}  // namespace
}  // namespace cpe::lab
