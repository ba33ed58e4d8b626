// The online list's matching rules where its indexes could get them wrong: the same MAC at several
// addresses, entries changing address into a text another entry already holds, removal and
// re-adding. A plain list walked from the start, as the rules are worded, is the reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "tests/engine/engine_harness.h"

namespace cpe::test {
namespace {

using List = COnlineList;

std::string Ip(int n) { return "10.0.0." + std::to_string(n); }
std::string MacOf(int n) { return MacText(static_cast<std::uint8_t>(n)); }

void Seen(List& list, const std::string& ip, const std::string& mac, std::uint16_t model = 1) {
    list.OnSearchReply(ip, mac, model, Summary("V1"), 107);
}
bool Record(List& list, const std::string& ip, const std::string& mac, std::uint16_t model = 1) {
    CountedText<32> version;
    version.assign("V2");
    return list.OnDeviceRecord(ip, mac, model, 0, version);
}
bool Beat(List& list, const std::string& ip, const std::string& mac, std::uint32_t upTime = 0) {
    CountedText<32> version;
    version.assign("V3");
    return list.OnHeartbeat(ip, mac, upTime, version);
}

// "ip mac state" of every entry, in list order.
std::vector<std::string> Entries(const List& list) {
    std::vector<std::string> out;
    for (const ap_online_stu& e : list.Snapshot())
        out.push_back(std::string(e.IpText()) + " " + std::string(e.MacText()) + " " + std::to_string(e.state));
    return out;
}

TEST(OnlineListOrder, SameMacAtTwoAddresses) {
    List list;
    Seen(list, Ip(1), MacOf(1));
    Seen(list, Ip(2), MacOf(1));
    // A heartbeat moves the first entry with the MAC; the device record goes to the last one.
    EXPECT_TRUE(Beat(list, Ip(3), MacOf(1), 50));
    EXPECT_TRUE(Record(list, Ip(4), MacOf(1)));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{Ip(3) + " " + MacOf(1) + " 1", Ip(4) + " " + MacOf(1) + " 2"}));
    EXPECT_EQ(list.Snapshot()[0].up_time, 50u);

    // Both at one address now: a search reply refreshes the first of them only.
    EXPECT_TRUE(Beat(list, Ip(4), MacOf(1)));
    list.OnSearchReply(Ip(4), MacOf(1), 77, Summary("V9"), 107);
    const auto entries = list.Snapshot();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].model, 77);
    EXPECT_EQ(entries[1].model, 1);
    EXPECT_FALSE(list.OnSearchReply(Ip(4), MacOf(1), 1, Summary("V9"), 107))
        << "an identified entry with the same address and MAC exists";
}

TEST(OnlineListOrder, EntryMovingIntoAnAddressKeepsListOrder) {
    List list;
    Seen(list, Ip(1), MacOf(1));
    Seen(list, Ip(2), MacOf(2));
    ASSERT_TRUE(Record(list, Ip(1), MacOf(1)));
    ASSERT_TRUE(Record(list, Ip(2), MacOf(2)));
    // The first entry joins address 2 after the second one held it: in list order it comes first,
    // so the second entry is still the last identified holder of address 2.
    ASSERT_TRUE(Beat(list, Ip(2), MacOf(1)));
    EXPECT_FALSE(Record(list, Ip(2), MacOf(1))) << "the last identified holder of the address is another device";
    EXPECT_TRUE(Record(list, Ip(2), MacOf(2)));

    // Three entries with one MAC make the address the rarer key: the first match by address must
    // still be the first in list order.
    List same;
    Seen(same, Ip(1), MacOf(1));
    Seen(same, Ip(2), MacOf(1));
    Seen(same, Ip(3), MacOf(1));
    ASSERT_TRUE(Beat(same, Ip(2), MacOf(1)));  // entry 0 joins address 2 after entry 1
    same.OnSearchReply(Ip(2), MacOf(1), 42, Summary("V1"), 107);
    EXPECT_EQ(same.Snapshot()[0].model, 42);
    EXPECT_EQ(same.Snapshot()[1].model, 1);
}

TEST(OnlineListOrder, RemovedDevicesComeBackAtTheEnd) {
    List list;
    for (int n = 1; n <= 4; ++n)
        Seen(list, Ip(n), MacOf(n));
    ASSERT_TRUE(Record(list, Ip(2), MacOf(2)));
    ASSERT_TRUE(Record(list, Ip(4), MacOf(4)));
    list.ClearDiscovered();
    Seen(list, Ip(1), MacOf(1));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{Ip(2) + " " + MacOf(2) + " 2", Ip(4) + " " + MacOf(4) + " 2",
                                                       Ip(1) + " " + MacOf(1) + " 1"}));
    for (int tick = 0; tick < 3; ++tick)
        list.Age();
    ASSERT_TRUE(Beat(list, Ip(4), MacOf(4)));
    EXPECT_EQ(list.Age(), std::vector<std::string>{MacOf(2)});
    EXPECT_FALSE(Beat(list, Ip(2), MacOf(2))) << "an aged-out device is unknown";

    Seen(list, Ip(2), MacOf(2));
    EXPECT_TRUE(Record(list, Ip(2), MacOf(2)));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{Ip(4) + " " + MacOf(4) + " 2", Ip(1) + " " + MacOf(1) + " 1",
                                                       Ip(2) + " " + MacOf(2) + " 2"}));
}

TEST(OnlineListOrder, DiscoveredFollowsListOrderAsEntriesAreIdentified) {
    List list;
    for (int n = 1; n <= 5; ++n)
        Seen(list, Ip(n), MacOf(n));
    ASSERT_TRUE(Record(list, Ip(2), MacOf(2)));
    Seen(list, Ip(6), MacOf(6));
    std::vector<ap_info_stu> out;
    list.GetDiscovered(out, 3, {});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_STREQ(out[0].mac, MacOf(1).c_str());
    EXPECT_STREQ(out[1].mac, MacOf(3).c_str());
    EXPECT_STREQ(out[2].mac, MacOf(4).c_str());
    list.GetDiscovered(out, 10, {});
    ASSERT_EQ(out.size(), 5u);
    EXPECT_STREQ(out[4].mac, MacOf(6).c_str());
}

TEST(OnlineListOrder, PendingAddressMovesTheFirstMatchAndItsIndexEntry) {
    List list;
    Seen(list, Ip(1), MacOf(1));
    ASSERT_TRUE(Record(list, Ip(1), MacOf(1)));
    Seen(list, Ip(2), MacOf(1));
    ASSERT_TRUE(Record(list, Ip(2), MacOf(1)));  // the last entry with the MAC: entry 1
    ASSERT_TRUE(Beat(list, Ip(2), MacOf(1)));    // entry 0 to address 2: both identified there
    list.SetPendingIp(MacOf(1), Ip(2), Ip(9));
    auto entries = list.Snapshot();
    EXPECT_EQ(entries[0].PendingIpText(), Ip(9));
    EXPECT_EQ(entries[1].PendingIpText(), "");

    EXPECT_TRUE(list.ApplyPendingIp(MacOf(1), Ip(2)));
    EXPECT_FALSE(list.ApplyPendingIp(MacOf(1), Ip(2))) << "the second entry has no pending address";
    entries = list.Snapshot();
    EXPECT_EQ(entries[0].IpText(), Ip(9));
    EXPECT_EQ(entries[1].IpText(), Ip(2));
    // The moved entry is found at its new address.
    EXPECT_FALSE(list.OnSearchReply(Ip(9), MacOf(1), 1, Summary("V1"), 107));
    EXPECT_EQ(list.Snapshot().size(), 2u);
}

// The rules as worded, over a plain vector walked from the start.
class ReferenceList {
public:
    explicit ReferenceList(std::size_t capacity) : capacity_(capacity) {}

    bool OnSearchReply(const std::string& ip, const std::string& mac, std::uint16_t model) {
        auto it = std::find_if(v_.begin(), v_.end(), [&](const auto& e) { return Holds(e, ip, mac); });
        if (it != v_.end()) {
            it->model = model;
        } else {
            if (v_.size() >= capacity_)
                return false;
            ap_online_stu e;
            std::memset(&e, 0, sizeof e);
            std::strcpy(e.ip, ip.c_str());
            std::strcpy(e.mac, mac.c_str());
            e.model = model;
            e.state = List::kStateSeen;
            e.countdown = List::kInitialCountdown;
            v_.push_back(e);
        }
        return std::none_of(v_.begin(), v_.end(), [&](const auto& e) { return Holds(e, ip, mac) && e.state == 2; });
    }
    bool OnHeartbeat(const std::string& ip, const std::string& mac, std::uint32_t upTime) {
        auto it = std::find_if(v_.begin(), v_.end(), [&](const auto& e) { return e.MacText() == mac; });
        if (it == v_.end())
            return false;
        it->countdown = List::kInitialCountdown;
        it->up_time = upTime;
        std::strcpy(it->ip, ip.c_str());
        return true;
    }
    bool OnDeviceRecord(const std::string& ip, const std::string& mac, std::uint16_t model, std::uint32_t upTime) {
        ap_online_stu* holder = nullptr;
        ap_online_stu* withMac = nullptr;
        for (auto& e : v_) {
            if (e.IpText() == ip && e.state == 2)
                holder = &e;
            if (e.MacText() == mac)
                withMac = &e;
        }
        if (withMac == nullptr || (holder != nullptr && holder != withMac))
            return false;
        withMac->model = model;
        withMac->state = 2;
        withMac->up_time = upTime;
        std::strcpy(withMac->ip, ip.c_str());
        return true;
    }
    std::vector<std::string> Age() {
        std::vector<std::string> expired;
        for (auto it = v_.begin(); it != v_.end();) {
            if (it->countdown > 0) {
                if (it->state != 1)
                    --it->countdown;
                ++it;
            } else {
                expired.emplace_back(it->MacText());
                it = v_.erase(it);
            }
        }
        return expired;
    }
    void ClearDiscovered() {
        std::erase_if(v_, [](const auto& e) { return e.state == 1; });
    }
    void SetPendingIp(const std::string& mac, const std::string& current, const std::string& next) {
        for (auto& e : v_)
            if (e.MacText() == mac && e.state == 2 && e.IpText() == current) {
                std::strcpy(e.pending_ip, next != current ? next.c_str() : "");
                return;
            }
    }
    bool ApplyPendingIp(const std::string& mac, const std::string& sender) {
        for (auto& e : v_)
            if (e.state == 2 && e.MacText() == mac && e.IpText() == sender) {
                if (e.PendingIpText().empty() || e.PendingIpText() == e.IpText())
                    return false;
                std::strcpy(e.ip, e.pending_ip);
                e.pending_ip[0] = '\0';
                return true;
            }
        return false;
    }
    // "ip pending mac model state countdown up_time" of every entry, in order.
    std::vector<std::string> Describe() const { return DescribeEntries(v_); }
    std::vector<std::string> SeenMacs(std::size_t max) const {
        std::vector<std::string> out;
        for (const auto& e : v_)
            if (e.state == 1 && out.size() < max)
                out.emplace_back(e.MacText());
        return out;
    }

    static std::vector<std::string> DescribeEntries(const std::vector<ap_online_stu>& entries) {
        std::vector<std::string> out;
        for (const auto& e : entries)
            out.push_back(std::string(e.IpText()) + " " + std::string(e.PendingIpText()) + " " +
                          std::string(e.MacText()) + " " + std::to_string(e.model) + " " + std::to_string(e.state) +
                          " " + std::to_string(e.countdown) + " " + std::to_string(e.up_time));
        return out;
    }

private:
    static bool Holds(const ap_online_stu& e, const std::string& ip, const std::string& mac) {
        return e.IpText() == ip && e.MacText() == mac;
    }
    std::size_t capacity_;
    std::vector<ap_online_stu> v_;
};

// Random traffic over a few addresses and MACs, so that entries share texts all the time.
TEST(OnlineListOrder, AgreesWithTheRulesOnRandomTraffic) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        constexpr std::size_t kCapacity = 8;
        List list(kCapacity);
        ReferenceList reference(kCapacity);
        CountedText<32> version;
        version.assign("V");
        for (int step = 0; step < 400; ++step) {
            const std::string ip = Ip(1 + pick(4));
            const std::string mac = MacOf(1 + pick(3));
            const auto model = static_cast<std::uint16_t>(step);
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            switch (pick(9)) {
            case 0:
            case 1:
                ASSERT_EQ(list.OnSearchReply(ip, mac, model, Summary("V"), 33),
                          reference.OnSearchReply(ip, mac, model));
                break;
            case 2:
            case 3: ASSERT_EQ(list.OnHeartbeat(ip, mac, model, version), reference.OnHeartbeat(ip, mac, model)); break;
            case 4:
            case 5:
                ASSERT_EQ(list.OnDeviceRecord(ip, mac, model, model, version),
                          reference.OnDeviceRecord(ip, mac, model, model));
                break;
            case 6: ASSERT_EQ(list.Age(), reference.Age()); break;
            case 7: {
                const std::string next = Ip(1 + pick(5));
                list.SetPendingIp(mac, ip, next);
                reference.SetPendingIp(mac, ip, next);
                const std::string sender = Ip(1 + pick(5));
                ASSERT_EQ(list.ApplyPendingIp(mac, sender), reference.ApplyPendingIp(mac, sender));
                break;
            }
            default:
                if (pick(4) == 0) {
                    list.ClearDiscovered();
                    reference.ClearDiscovered();
                }
                break;
            }
            ASSERT_EQ(ReferenceList::DescribeEntries(list.Snapshot()), reference.Describe());
            std::vector<ap_info_stu> out;
            const std::size_t max = static_cast<std::size_t>(pick(4));
            list.GetDiscovered(out, max, {});
            std::vector<std::string> macs;
            for (const auto& r : out)
                macs.emplace_back(r.mac);
            ASSERT_EQ(macs, reference.SeenMacs(max));
        }
    }
}

}  // namespace
}  // namespace cpe::test
