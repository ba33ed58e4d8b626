// The engine's list of devices seen on the network: which devices are online, from which address
// each one answers, which are seen but not yet identified, and the address a device was told to
// move to. Every operation takes the list's own lock and releases it before returning, so callers
// can send and call the store afterwards without holding it.
//
// The list keeps its order (the matching rules speak of the first or the last entry in list
// order) and is indexed by IP text and by MAC text, so that a reply costs the same whether ten or
// ten thousand devices are online: only ageing, clearing and snapshots walk the whole list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "protocol/records.h"
#include "protocol/wire.h"

namespace cpe {

// One device of the online list.
struct ap_online_stu {
    char ip[16];             // dotted quad of the address the device answers from
    char pending_ip[16];     // address announced by set_ip; empty when none
    char mac[18];            // "%02x:%02x:%02x:%02x:%02x:%02x"
    std::uint16_t model;     // header model of the last search reply or device record
    std::uint8_t state;      // kStateSeen or kStateIdentified
    std::uint8_t countdown;  // ageing counter
    std::uint32_t up_time;
    CountedText<32> version;
    std::uint8_t work_mode;
    std::uint8_t mode_btn_status;
    CountedText<32> ap_name;
    CountedText<32> ssid;
    std::uint8_t channel;
    std::int64_t last_seen_ms;  // when the device was last heard from: Unix time in milliseconds

    std::string_view IpText() const { return ip; }
    std::string_view PendingIpText() const { return pending_ip; }
    std::string_view MacText() const { return mac; }
};

class COnlineList {
public:
    static constexpr std::uint8_t kStateSeen = 1;        // answered a search only
    static constexpr std::uint8_t kStateIdentified = 2;  // its full device record arrived
    static constexpr std::uint8_t kInitialCountdown = 3;
    static constexpr std::int32_t kDiscoveredStatus = 10;  // ap_status of seen-only records
    // Far more devices than any network segment holds; a flood of made-up replies stops here.
    static constexpr std::size_t kDefaultCapacity = 16384;

    explicit COnlineList(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // A search reply from (ip, mac). Refreshes or adds the entry; true when the device should be
    // asked for its details (it is not yet identified at this address). A new device finds no
    // room in a full list: it is refused (and counted) without a follow-up.
    bool OnSearchReply(std::string_view ip, std::string_view mac, std::uint16_t model, const search_summary& summary,
                       std::size_t payloadLength);

    // A heartbeat: true when the MAC is known; the entry then moves to the sender's address.
    bool OnHeartbeat(std::string_view ip, std::string_view mac, std::uint32_t upTime, const CountedText<32>& version);

    // A full device record claiming address ip: true when accepted (the MAC is known and no
    // other identified device holds that address); the entry becomes identified at ip.
    bool OnDeviceRecord(std::string_view ip, std::string_view mac, std::uint16_t model, std::uint32_t upTime,
                        const CountedText<32>& version);

    // One ageing tick: counts identified entries down and removes those at 0. Returns the MAC
    // texts of the removed entries.
    std::vector<std::string> Age();

    void ClearDiscovered();
    // Fills `out` with one record (ap_status 10) per seen-only entry among the first `max` of
    // them whose IP, MAC or version text contains `filter` (every one when `filter` is empty).
    void GetDiscovered(std::vector<ap_info_stu>& out, std::size_t max, std::string_view filter) const;

    void SetPendingIp(std::string_view mac, std::string_view currentIp, std::string_view newIp);
    // A set_ip reply from senderIp: moves the entry to its pending address. True when it moved.
    bool ApplyPendingIp(std::string_view mac, std::string_view senderIp);

    std::vector<ap_online_stu> Snapshot() const;
    void Clear();
    std::uint64_t Refused() const;

private:
    // An entry with its place in the list: sequence numbers grow with every append, so sorting
    // by them is list order.
    struct Node;
    using Nodes = std::list<Node>;
    using SeenNodes = std::list<Node*>;
    struct Node {
        ap_online_stu entry;
        std::uint64_t seq;
        SeenNodes::iterator seen;  // its place among the seen-only entries while in that state
    };

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    // Entries sharing one IP or MAC text, in list order. Usually one.
    using Bucket = std::vector<Node*>;
    using Index = std::unordered_map<std::string, Bucket, TextHash, std::equal_to<>>;

    // The first entry in list order holding both texts that `accept` takes, or null. Looks only
    // at the entries sharing the rarer of the two texts.
    template <typename Predicate>
    Node* FirstWith(std::string_view ip, std::string_view mac, Predicate accept);
    static const Bucket* Find(const Index& index, std::string_view key);
    void Append(const ap_online_stu& entry);
    void Remove(Nodes::iterator node);
    void MoveTo(Node& node, std::string_view ip);
    void Identify(Node& node);
    static void Link(Index& index, std::string_view key, Node* node);
    static void Unlink(Index& index, std::string_view key, const Node* node);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    Nodes nodes_;     // every entry, in list order
    SeenNodes seen_;  // the seen-only entries, in list order
    Index byIp_;
    Index byMac_;
    std::uint64_t nextSeq_ = 0;
    std::uint64_t refused_ = 0;
};

}  // namespace cpe
