#include "engine/online_list.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "protocol/codes.h"

namespace cpe {
namespace {

template <std::size_t N>
void SetText(char (&dst)[N], std::string_view src) {
    const std::size_t n = std::min(src.size(), N - 1);
    std::memset(dst, 0, N);
    std::copy_n(src.data(), n, dst);
}

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

const COnlineList::Bucket* COnlineList::Find(const Index& index, std::string_view key) {
    const auto it = index.find(key);
    return it == index.end() ? nullptr : &it->second;
}

void COnlineList::Link(Index& index, std::string_view key, Node* node) {
    auto it = index.find(key);
    if (it == index.end())
        it = index.emplace(std::string(key), Bucket{}).first;
    Bucket& bucket = it->second;
    // Appended entries are the newest; only an entry changing address lands in the middle.
    const auto at = std::upper_bound(bucket.begin(), bucket.end(), node->seq,
                                     [](std::uint64_t seq, const Node* n) { return seq < n->seq; });
    bucket.insert(at, node);
}

void COnlineList::Unlink(Index& index, std::string_view key, const Node* node) {
    const auto it = index.find(key);
    if (it == index.end())
        return;
    std::erase(it->second, node);
    if (it->second.empty())
        index.erase(it);
}

template <typename Predicate>
COnlineList::Node* COnlineList::FirstWith(std::string_view ip, std::string_view mac, Predicate accept) {
    const Bucket* withIp = Find(byIp_, ip);
    const Bucket* withMac = Find(byMac_, mac);
    if (withIp == nullptr || withMac == nullptr)
        return nullptr;
    const bool scanIp = withIp->size() <= withMac->size();
    for (Node* node : scanIp ? *withIp : *withMac) {
        const ap_online_stu& e = node->entry;
        if ((scanIp ? e.MacText() == mac : e.IpText() == ip) && accept(e))
            return node;
    }
    return nullptr;
}

void COnlineList::Append(const ap_online_stu& entry) {
    Node& node = nodes_.emplace_back(Node{entry, nextSeq_++, {}});
    node.seen = node.entry.state == kStateSeen ? seen_.insert(seen_.end(), &node) : seen_.end();
    Link(byIp_, node.entry.IpText(), &node);
    Link(byMac_, node.entry.MacText(), &node);
}

void COnlineList::Remove(Nodes::iterator node) {
    Unlink(byIp_, node->entry.IpText(), &*node);
    Unlink(byMac_, node->entry.MacText(), &*node);
    if (node->seen != seen_.end())
        seen_.erase(node->seen);
    nodes_.erase(node);
}

void COnlineList::MoveTo(Node& node, std::string_view ip) {
    char text[sizeof node.entry.ip];
    SetText(text, ip);
    if (std::strcmp(text, node.entry.ip) == 0)
        return;
    Unlink(byIp_, node.entry.IpText(), &node);
    std::memcpy(node.entry.ip, text, sizeof text);
    Link(byIp_, node.entry.IpText(), &node);
}

void COnlineList::Identify(Node& node) {
    node.entry.state = kStateIdentified;
    if (node.seen != seen_.end()) {
        seen_.erase(node.seen);
        node.seen = seen_.end();
    }
}

bool COnlineList::OnSearchReply(std::string_view ip, std::string_view mac, std::uint16_t model,
                                const search_summary& summary, std::size_t payloadLength) {
    std::lock_guard lock(mutex_);
    if (Node* known = FirstWith(ip, mac, [](const ap_online_stu&) { return true; })) {
        known->entry.model = model;
        known->entry.version = summary.version;
        known->entry.last_seen_ms = NowMs();
    } else {
        if (nodes_.size() >= capacity_) {
            ++refused_;
            return false;
        }
        ap_online_stu entry;
        std::memset(&entry, 0, sizeof entry);
        SetText(entry.ip, ip);
        SetText(entry.mac, mac);
        entry.model = model;
        entry.state = kStateSeen;
        entry.countdown = kInitialCountdown;
        entry.version = summary.version;
        entry.last_seen_ms = NowMs();
        // A bare 33-byte summary carries the version only.
        if (payloadLength > sizeof summary.version) {
            entry.up_time = summary.up_time.get();
            entry.work_mode = summary.work_mode;
            entry.mode_btn_status = summary.mode_btn_status;
            entry.ap_name = summary.ap_name;
            entry.ssid = summary.ssid;
            entry.channel = summary.channel;
        }
        Append(entry);
    }
    return FirstWith(ip, mac, [](const ap_online_stu& e) { return e.state == kStateIdentified; }) == nullptr;
}

bool COnlineList::OnHeartbeat(std::string_view ip, std::string_view mac, std::uint32_t upTime,
                              const CountedText<32>& version) {
    std::lock_guard lock(mutex_);
    const Bucket* withMac = Find(byMac_, mac);
    if (withMac == nullptr)
        return false;
    Node& node = *withMac->front();
    node.entry.countdown = kInitialCountdown;
    node.entry.up_time = upTime;
    node.entry.last_seen_ms = NowMs();
    node.entry.version = version;
    MoveTo(node, ip);
    return true;
}

bool COnlineList::OnDeviceRecord(std::string_view ip, std::string_view mac, std::uint16_t model, std::uint32_t upTime,
                                 const CountedText<32>& version) {
    std::lock_guard lock(mutex_);
    const Bucket* macBucket = Find(byMac_, mac);
    if (macBucket == nullptr)
        return false;
    Node* withMac = macBucket->back();
    if (const Bucket* ipBucket = Find(byIp_, ip)) {
        const auto holder = std::find_if(ipBucket->rbegin(), ipBucket->rend(),
                                         [](const Node* n) { return n->entry.state == kStateIdentified; });
        if (holder != ipBucket->rend() && *holder != withMac)
            return false;
    }
    withMac->entry.model = model;
    Identify(*withMac);
    withMac->entry.up_time = upTime;
    MoveTo(*withMac, ip);
    withMac->entry.version = version;
    withMac->entry.last_seen_ms = NowMs();
    return true;
}

std::vector<std::string> COnlineList::Age() {
    std::vector<std::string> expired;
    std::lock_guard lock(mutex_);
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        ap_online_stu& e = it->entry;
        if (e.countdown > 0) {
            if (e.state != kStateSeen)
                --e.countdown;
            ++it;
        } else {
            expired.emplace_back(e.MacText());
            Remove(it++);
        }
    }
    return expired;
}

void COnlineList::ClearDiscovered() {
    std::lock_guard lock(mutex_);
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        if (it->entry.state == kStateSeen)
            Remove(it++);
        else
            ++it;
    }
}

void COnlineList::GetDiscovered(std::vector<ap_info_stu>& out, std::size_t max, std::string_view filter) const {
    out.clear();
    std::lock_guard lock(mutex_);
    std::size_t considered = 0;
    for (const Node* node : seen_) {
        if (considered >= max)
            break;
        ++considered;
        const ap_online_stu& e = node->entry;

        ap_info_stu record;
        std::memset(&record, 0, sizeof record);
        SetText(record.mac, e.MacText());
        record.ap_type.set(e.model);
        record.ap_status.set(kDiscoveredStatus);
        record.ip = ParseIp(e.IpText());
        const std::string_view version = e.version.view();
        record.version.assign(version.substr(0, version.find('\n')));
        record.ap_name = e.ap_name;
        record.up_time.set(e.up_time);
        record.work_mode = e.work_mode;
        record.mode_btn_status = e.mode_btn_status;
        record.ssid = e.ssid;
        record.channel = e.channel;

        const auto contains = [&](std::string_view text) { return text.find(filter) != std::string_view::npos; };
        if (filter.empty() || contains(e.IpText()) || contains(e.MacText()) || contains(record.version.view()))
            out.push_back(record);
    }
}

void COnlineList::SetPendingIp(std::string_view mac, std::string_view currentIp, std::string_view newIp) {
    std::lock_guard lock(mutex_);
    Node* node = FirstWith(currentIp, mac, [](const ap_online_stu& e) { return e.state == kStateIdentified; });
    if (node != nullptr)
        SetText(node->entry.pending_ip, newIp != currentIp ? newIp : std::string_view{});
}

bool COnlineList::ApplyPendingIp(std::string_view mac, std::string_view senderIp) {
    std::lock_guard lock(mutex_);
    Node* node = FirstWith(senderIp, mac, [](const ap_online_stu& e) { return e.state == kStateIdentified; });
    if (node == nullptr)
        return false;
    ap_online_stu& e = node->entry;
    if (e.PendingIpText().empty() || e.PendingIpText() == e.IpText())
        return false;
    const std::string pending(e.PendingIpText());
    SetText(e.pending_ip, {});
    MoveTo(*node, pending);
    return true;
}

std::vector<ap_online_stu> COnlineList::Snapshot() const {
    std::lock_guard lock(mutex_);
    std::vector<ap_online_stu> entries;
    entries.reserve(nodes_.size());
    for (const Node& node : nodes_)
        entries.push_back(node.entry);
    return entries;
}

void COnlineList::Clear() {
    std::lock_guard lock(mutex_);
    byIp_.clear();
    byMac_.clear();
    seen_.clear();
    nodes_.clear();
}

std::uint64_t COnlineList::Refused() const {
    std::lock_guard lock(mutex_);
    return refused_;
}

}  // namespace cpe
