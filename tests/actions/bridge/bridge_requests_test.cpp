// The survey and bridge requests against an engine whose sends are captured: what leaves, once,
// and how a new survey forgets the last one.
#include "actions/bridge/bridge_requests.h"

#include <chrono>
#include <thread>

#include "tests/actions/config/config_fixture.h"
#include "tests/engine/engine_harness.h"

namespace cpe::actions {
namespace {

using namespace std::chrono_literals;

class BridgeRequests : public test::ConfigTest {
protected:
    // What the engine sent until `count` datagrams are in, for at most five seconds.
    std::vector<test::SentDatagram> WaitForSent(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (sent_.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(2ms);
            for (auto& d : harness_.TakeSent())
                sent_.push_back(std::move(d));
        }
        return sent_;
    }

    test::EngineHarness harness_;
    std::vector<test::SentDatagram> sent_;
};

TEST_F(BridgeRequests, ASurveyRequestStartsAFreshSurveyOfThatDeviceAndSendsOnce) {
    survey_packet old{};
    old.packet_count = 1;
    old.icount = 1;
    old.entries[0].mac = {2, 0, 0, 0, 0, 9};
    const auto bytes = BytesOf(old);
    harness_.Reply("10.0.0.5", test::Mac(1), MessageType::site_survey, {bytes.begin(), bytes.end()});
    ASSERT_TRUE(harness_.engine().SurveyComplete());

    SurveyRequester requester(harness_.engine());
    requester.Request("10.0.0.6", test::MacText(2));
    EXPECT_FALSE(harness_.engine().SurveyComplete()) << "cleared before the request leaves";
    std::vector<config_otherwl_basic> rows;
    ASSERT_TRUE(harness_.store().GetSurveyList(rows));
    EXPECT_TRUE(rows.empty());

    WaitForSent(1);
    requester.Request("10.0.0.6", test::MacText(2));
    const auto sent = WaitForSent(2);
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& d : sent) {
        EXPECT_EQ(d.type, TypeCode(MessageType::site_survey));
        EXPECT_EQ(d.ip, "10.0.0.6");
        EXPECT_TRUE(d.payload.empty());
    }

    // The reply of the device surveyed before is not this survey's.
    harness_.Reply("10.0.0.5", test::Mac(1), MessageType::site_survey, {bytes.begin(), bytes.end()});
    EXPECT_FALSE(harness_.engine().SurveyComplete());
    harness_.Reply("10.0.0.6", test::Mac(2), MessageType::site_survey, {bytes.begin(), bytes.end()});
    EXPECT_TRUE(harness_.engine().SurveyComplete());
}

TEST_F(BridgeRequests, TheSenderSendsOneBridgeRequestOfTheWholePayload) {
    BridgeRequest request;
    request.bridge.bridge_work_mode = 2;
    request.bridge.bridge_ssid.assign("far-ap");
    request.ip = {1, 10, 0, 0, 9, 255, 255, 255, 0};
    {
        BridgeSender sender(harness_.engine());
        sender.Start(request, "10.0.0.7");
    }  // destruction waits for a sender still running
    const auto sent = harness_.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, TypeCode(MessageType::bridge));
    EXPECT_EQ(sent[0].ip, "10.0.0.7");
    const BridgePayload expected = BridgePayloadOf(request);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>(expected.begin(), expected.end()));
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(harness_.TakeSent().empty()) << "nothing is retried";
}

}  // namespace
}  // namespace cpe::actions
