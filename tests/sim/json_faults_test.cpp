#include <gtest/gtest.h>

#include <set>

#include "protocol/packet.h"
#include "sim/faults.h"
#include "sim/json.h"

namespace cpe::sim {
namespace {

TEST(JsonTest, WrittenTextReadsBackIncludingUtf8AndControlCharacters) {
    JsonWriter w;
    w.BeginObject();
    w.Field("name", std::string("北塔 \"Süd\"\\\n\x01"));
    w.Field("n", std::uint64_t{18446744073709551615ull}).Field("neg", std::int64_t{-5}).Field("ok", true);
    w.Key("list").BeginArray().Number(1).String("two").BeginObject().EndObject().EndArray();
    w.EndObject();
    const auto v = ParseJson(w.Text());
    ASSERT_TRUE(v) << w.Text();
    EXPECT_EQ((*v)["name"].Str(), "北塔 \"Süd\"\\\n\x01");
    EXPECT_EQ((*v)["neg"].Int(), -5);
    EXPECT_TRUE((*v)["ok"].Boolean());
    EXPECT_EQ((*v)["list"].Size(), 3u);
    EXPECT_EQ((*v)["list"][1].Str(), "two");
    EXPECT_TRUE((*v)["missing"]["deeper"][3].Str().empty());
}

TEST(JsonTest, MalformedTextIsRefused) {
    for (const char* bad : {"", "{", "{\"a\":}", "[1,]", "{\"a\":1} x", "\"\\u12\"", "[[[[", "nul"})
        EXPECT_FALSE(ParseJson(bad)) << bad;
    EXPECT_EQ(ParseJson("\"\\u00e9\\u4e2d\"")->Str(), "é中");
}

TEST(FaultInjectorTest, LossAndDuplicationDecideHowManyCopiesLeave) {
    FaultPlan lose;
    lose.lossOut = 1;
    FaultInjector a(lose, 1);
    EXPECT_TRUE(a.Departures(Millis{0}).empty());
    FaultPlan twice;
    twice.duplicate = 1;
    twice.delay = Millis{20};
    twice.jitter = Millis{5};
    FaultInjector b(twice, 1);
    for (int i = 0; i < 50; ++i) {
        const auto d = b.Departures(Millis{10});
        ASSERT_EQ(d.size(), 2u);
        for (auto m : d)
            EXPECT_TRUE(m >= Millis{25} && m <= Millis{35}) << m.count();
    }
    FaultInjector clean(FaultPlan{}, 1);
    EXPECT_EQ(clean.Departures(Millis{3}), std::vector<Millis>{Millis{3}});
    EXPECT_FALSE(clean.DropIncoming());
}

TEST(FaultInjectorTest, GarbageIsMalformedOrComesFromNoDevice) {
    FaultInjector f(FaultPlan{}, 7);
    const std::set<std::uint16_t> known = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16};
    int headerless = 0, unknownType = 0, lyingLength = 0;
    for (int i = 0; i < 500; ++i) {
        const auto g = f.Garbage(257);
        const auto h = ParsePacketHeader(g);
        if (!h) {
            ++headerless;  // too short or bad magic
            continue;
        }
        EXPECT_EQ(h->mac[0], 0x0e) << "never a simulated device's MAC";
        if (!known.count(h->type.get()))
            ++unknownType;
        else if (h->length.get() > g.size() - kHeaderSize)
            ++lyingLength;
        else
            ADD_FAILURE() << "a well-formed known message";
    }
    EXPECT_GT(headerless, 0);
    EXPECT_GT(unknownType, 0);
    EXPECT_GT(lyingLength, 0);
}

}  // namespace
}  // namespace cpe::sim
