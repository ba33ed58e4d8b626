// The adapter source, the address computations and the discovery broadcast built on them. The
// real library is only read; nothing is sent to a real interface (sends are captured).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/engine/engine_harness.h"

namespace cpe::test {
namespace {

using Addresses = std::vector<std::pair<std::string, std::string>>;

EngineConfig WithAdapters(std::vector<adapter_record> records) {
    EngineConfig config;
    config.adapters = std::make_shared<StaticAdapterSource>(std::move(records));
    return config;
}

TEST(AddressText, BroadcastOf) {
    EXPECT_EQ(BroadcastOf("192.168.1.20", "255.255.255.0"), "192.168.1.255");
    EXPECT_EQ(BroadcastOf("10.1.2.3", "255.0.0.0"), "10.255.255.255");
    EXPECT_EQ(BroadcastOf("10.1.2.3", "255.255.255.255"), "10.1.2.3");
    EXPECT_FALSE(BroadcastOf("0.0.0.0", "255.255.255.0"));
    EXPECT_FALSE(BroadcastOf("10.1.2.3", ""));
    EXPECT_FALSE(BroadcastOf("10.1.2.3", "0.0.0.0"));
    EXPECT_FALSE(BroadcastOf("not an address", "255.0.0.0"));
}

TEST(AddressText, SameSubnetText) {
    EXPECT_TRUE(SameSubnetText("192.168.1.20", "255.255.255.0", "192.168.1.254"));
    EXPECT_FALSE(SameSubnetText("192.168.1.20", "255.255.255.0", "192.168.2.1"));
    EXPECT_FALSE(SameSubnetText("0.0.0.0", "255.255.255.0", "0.0.0.1"));
    EXPECT_FALSE(SameSubnetText("192.168.1.20", "255.255.255.0", ""));
    EXPECT_FALSE(SameSubnetText("192.168.1.20", "255.255.255.0", "0.0.0.0"));
    EXPECT_FALSE(SameSubnetText("192.168.1.20", "0.0.0.0", "192.168.1.1"));
}

TEST(Adapters, OnlyUsableRecordsAreKept) {
    adapter_record down = MakeAdapterRecord("down", Mac(1), Addresses{{"10.0.0.1", "255.0.0.0"}});
    down.kind = 0;
    const adapter_record unset =
        MakeAdapterRecord("unset", Mac(2), Addresses{{"0.0.0.0", "0.0.0.0"}, {"172.16.0.1", "255.255.0.0"}});
    const adapter_record none = MakeAdapterRecord("none", Mac(3), Addresses{});
    adapter_record used = MakeAdapterRecord("eth0", Mac(4), Addresses{{"192.168.1.20", "255.255.255.0"}});
    used.next.set(924);

    EngineHarness h(WithAdapters({down, unset, none, used}));
    const auto adapters = h.engine().QueryAdapters();
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_STREQ(adapters[0].name, "eth0");
    EXPECT_EQ(adapters[0].kind, 0) << "the copy clears the kind and the link";
    EXPECT_EQ(adapters[0].next.get(), 0u);
    EXPECT_EQ(h.engine().BroadcastAddresses(), std::vector<std::string>{"192.168.1.255"})
        << "an adapter whose first address is unset is skipped with all its addresses";
}

TEST(Adapters, BroadcastAddressesAreDistinctAndInOrder) {
    adapter_record a = MakeAdapterRecord(
        "a", Mac(1), Addresses{{"192.168.1.20", "255.255.255.0"}, {"10.0.0.1", ""}, {"", "255.0.0.0"}});
    adapter_record b =
        MakeAdapterRecord("b", Mac(2), Addresses{{"192.168.1.30", "255.255.255.0"}, {"10.9.0.1", "255.255.0.0"}});
    adapter_record c = MakeAdapterRecord("c", Mac(3), Addresses{{"172.16.5.5", "255.255.0.0"}});
    c.address_count.set(5000);  // a count beyond the record is never trusted

    EngineHarness h(WithAdapters({a, b, c}));
    EXPECT_EQ(h.engine().BroadcastAddresses(),
              (std::vector<std::string>{"192.168.1.255", "10.9.255.255", "172.16.255.255"}));
}

TEST(Adapters, LocalAddressesFacingTheTargets) {
    const adapter_record a = MakeAdapterRecord("a", Mac(1), Addresses{{"192.168.1.20", "255.255.255.0"}});
    const adapter_record b = MakeAdapterRecord("b", Mac(2), Addresses{{"10.0.0.1", "255.255.0.0"}});
    EngineHarness h(WithAdapters({a, b}));

    const auto local = h.engine().LocalAddressesFor({"10.0.3.4", "172.20.0.1", "192.168.1.9", "10.0.9.9"});
    ASSERT_EQ(local.size(), 2u);
    EXPECT_EQ(local[0].ip, "10.0.0.1");
    EXPECT_EQ(local[0].mac, MacText(2));
    EXPECT_EQ(local[1].ip, "192.168.1.20");
    EXPECT_EQ(local[1].mac, MacText(1));
}

TEST(Adapters, SearchBroadcastsOnEverySubnetOrToAllWithoutAdapters) {
    EngineHarness none;
    none.engine().Search();
    auto sent = none.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].from, SocketRole::kDiscovery);
    EXPECT_EQ(sent[0].ip, "255.255.255.255");
    EXPECT_EQ(sent[0].port, 9786);
    EXPECT_EQ(sent[0].type, TypeCode(MessageType::search));
    EXPECT_TRUE(sent[0].payload.empty());

    EngineHarness two(WithAdapters({MakeAdapterRecord("a", Mac(1), Addresses{{"192.168.1.20", "255.255.255.0"}}),
                                    MakeAdapterRecord("b", Mac(2), Addresses{{"10.0.0.1", "255.255.0.0"}})}));
    two.engine().Search();
    sent = two.TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].ip, "192.168.1.255");
    EXPECT_EQ(sent[1].ip, "10.0.255.255");
}

TEST(LocalAdapterLibrary, MissingLibraryGivesNoAdapters) {
    LocalAdapterLibrary missing("/nonexistent/libLocalAdapter.so");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_TRUE(missing.Read().empty());
}

TEST(LocalAdapterLibrary, ReportsInterfacesWithWellFormedRecords) {
    LocalAdapterLibrary library(CPE_LOCAL_ADAPTER_PATH);
    ASSERT_TRUE(library.IsLoaded());
    const auto records = library.Read();
    ASSERT_FALSE(records.empty()) << "every system has a loopback interface";
    bool sawLoopback = false;
    for (const adapter_record& r : records) {
        ASSERT_LT(strnlen(r.name, sizeof r.name), sizeof r.name);
        const int count = r.address_count.get();
        ASSERT_GE(count, 0);
        ASSERT_LE(count, 10);
        for (int i = 0; i < count; ++i) {
            ASSERT_LT(strnlen(r.addresses[i].ip, 16), 16u);
            EXPECT_EQ(ParseIp(r.addresses[i].ip) == RawIp{}, std::string_view(r.addresses[i].ip) == "0.0.0.0");
        }
        if (std::string_view(r.name) == "lo") {
            sawLoopback = true;
            EXPECT_NE(r.kind, kAdapterKindInUse) << "loopback is never in use for discovery";
            ASSERT_GE(count, 1);
            EXPECT_STREQ(r.addresses[0].ip, "127.0.0.1");
            EXPECT_STREQ(r.addresses[0].mask, "255.0.0.0");
        }
        if (r.kind == kAdapterKindInUse) {
            EXPECT_GT(count, 0);
        }
    }
    EXPECT_TRUE(sawLoopback);
    // The list was released: a second query builds it afresh.
    EXPECT_EQ(library.Read().size(), records.size());
}

}  // namespace
}  // namespace cpe::test
