// The reboot/restore action against an engine whose sends are captured: the selection from the
// checked rows, how a newer send and the end of the action stop a sender that still runs, and
// which rows the status follow-up writes. (The sending order is the engine's, tested there.)
#include "actions/reboot_restore/reboot_restore_action.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tests/engine/engine_harness.h"

namespace cpe::actions {
namespace {

using namespace std::chrono_literals;
using test::DeviceRecord;
using test::MacText;

TEST(RebootRestoreSelection, CheckedRowsTopToBottomWithTheModelCodeOfTheirType) {
    const std::vector<ListedRow> rows = {
        {true, "10.0.0.9", "00:1a:ff:00:0b:09", "Ember"},
        {false, "10.0.0.5", "00:1a:ff:00:0b:05", "Brio"},
        {true, "10.0.0.1", "00:1a:ff:00:0b:01", "no such model"},
    };
    const auto selection = SelectCheckedRows(rows);
    ASSERT_EQ(selection.size(), 2u);
    EXPECT_EQ(selection[0].ip, "10.0.0.9");
    EXPECT_EQ(selection[0].mac, "00:1a:ff:00:0b:09");
    EXPECT_EQ(selection[0].model, 257);
    EXPECT_EQ(selection[1].ip, "10.0.0.1");
    EXPECT_EQ(selection[1].model, 1) << "an unknown type reads as model 1";

    EXPECT_TRUE(SelectCheckedRows(std::vector<ListedRow>{{false, "10.0.0.2", "m", "Axel"}}).empty());
}

class RebootRestoreActionTest : public ::testing::Test {
protected:
    RebootRestoreActionTest() {
        // 10.0.0.6 is an access point with the station 10.0.0.7 bridged to it; 10.0.0.5 stands alone.
        ap_info_stu ap = DeviceRecord("10.0.0.6");
        ap.ssid_mac = test::Mac(2);
        h_.Identify("10.0.0.6", test::Mac(2), ap);
        ap_info_stu station = DeviceRecord("10.0.0.7");
        station.work_mode = 2;
        station.bridge.bridge_mac = ap.ssid_mac;
        h_.Identify("10.0.0.7", test::Mac(3), station);
        h_.Identify("10.0.0.5", test::Mac(1), DeviceRecord("10.0.0.5"));
    }

    std::unique_ptr<RebootRestoreAction> MakeAction(const RebootRestoreKind& kind) {
        return std::make_unique<RebootRestoreAction>(kind, h_.engine(), h_.store());
    }

    // What was sent once `count` datagrams are in (or after two seconds).
    std::vector<test::SentDatagram> WaitForSent(std::size_t count) {
        std::vector<test::SentDatagram> sent;
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (sent.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(2ms);
            for (auto& d : h_.TakeSent())
                sent.push_back(std::move(d));
        }
        return sent;
    }

    static SelectedDevice Device(std::uint8_t n, const char* ip) { return {ip, MacText(n), 1}; }

    test::EngineHarness h_;
};

TEST_F(RebootRestoreActionTest, ANewSendAndTheEndOfTheActionStopASenderStillWaiting) {
    // A device without stations is sent to only after the 200 ms pause, so each sender below is
    // still waiting when it is stopped.
    auto action = MakeAction(kRebootKind);
    action->SetSelection({Device(1, "10.0.0.5")});
    action->StartSender();
    action->SetSelection({Device(3, "10.0.0.7")});
    action->StartSender();
    action->SetSelection({});  // the sender works on the selection it started with
    auto sent = WaitForSent(1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].ip, "10.0.0.7");
    EXPECT_EQ(sent[0].type, TypeCode(MessageType::reboot));

    action->SetSelection({Device(1, "10.0.0.5")});
    action->StartSender();
    action.reset();
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(h_.TakeSent().empty()) << "the stopped senders sent nothing";
}

TEST_F(RebootRestoreActionTest, FollowUpWritesTheFirstRowOfEachListedDevice) {
    ASSERT_TRUE(h_.store().SetDeviceStatus(MacText(1), 4));
    auto action = MakeAction(kRebootKind);
    action->SetSelection({Device(1, "10.0.0.5"), Device(2, "10.0.0.6"), Device(9, "10.0.0.99")});
    const std::vector<std::string> rows = {MacText(3), MacText(1), MacText(2), MacText(1)};
    const auto shown = action->FollowUp(rows);
    ASSERT_EQ(shown.size(), 2u) << "a device no longer listed is skipped";
    EXPECT_EQ(shown[0].row, 1u);
    EXPECT_EQ(shown[0].status, 4);
    EXPECT_EQ(shown[1].row, 2u);
    EXPECT_EQ(shown[1].status, 1);
    EXPECT_TRUE(action->FollowUp(std::vector<std::string>{}).empty());
}

}  // namespace
}  // namespace cpe::actions
