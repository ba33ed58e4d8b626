// The local-adapter library: the computer's network interfaces as a chain of adapter records,
// read from getifaddrs. One record per interface, in the order the system lists them; the IPv4
// addresses of an interface become its address entries, its link-layer address its hardware
// address.
#include "protocol/adapter/local_adapter.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netpacket/packet.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

namespace {

// The chain handed out by the last GetLocalAdapterInfo; callers serialise their queries, the
// mutex only keeps a careless caller from corrupting it.
std::mutex g_mutex;
std::vector<cpe::adapter_record> g_records;

template <std::size_t N>
void CopyText(char (&dst)[N], std::string_view src) {
    const std::size_t n = std::min(src.size(), N - 1);
    std::copy_n(src.data(), n, dst);
    dst[n] = '\0';
}

void FormatAddress(char (&dst)[16], const sockaddr* address) {
    dst[0] = '\0';
    if (address == nullptr || address->sa_family != AF_INET)
        return;
    sockaddr_in in;
    std::memcpy(&in, address, sizeof in);
    inet_ntop(AF_INET, &in.sin_addr, dst, sizeof dst);
}

cpe::adapter_record& RecordFor(std::vector<cpe::adapter_record>& records, std::string_view name) {
    for (auto& record : records)
        if (name == record.name)
            return record;
    cpe::adapter_record& record = records.emplace_back();
    std::memset(&record, 0, sizeof record);
    CopyText(record.name, name);
    CopyText(record.description, name);
    record.values[0].set(if_nametoindex(record.name));
    return record;
}

std::vector<cpe::adapter_record> ReadAdapters() {
    std::vector<cpe::adapter_record> records;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return records;
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_name == nullptr)
            continue;
        cpe::adapter_record& record = RecordFor(records, it->ifa_name);
        record.values[1].set(it->ifa_flags);
        const sa_family_t family = it->ifa_addr != nullptr ? it->ifa_addr->sa_family : AF_UNSPEC;
        if (family == AF_PACKET) {
            sockaddr_ll link;
            std::memcpy(&link, it->ifa_addr, sizeof link);
            std::memcpy(record.hw_address, link.sll_addr,
                        std::min<std::size_t>(link.sll_halen, sizeof record.hw_address));
        } else if (family == AF_INET) {
            const int count = record.address_count.get();
            if (count < static_cast<int>(cpe::kMaxAdapterAddresses)) {
                cpe::adapter_address_entry& entry = record.addresses[count];
                FormatAddress(entry.ip, it->ifa_addr);
                FormatAddress(entry.mask, it->ifa_netmask);
                record.address_count.set(count + 1);
            }
            const bool up = (it->ifa_flags & IFF_UP) != 0;
            const bool loopback = (it->ifa_flags & IFF_LOOPBACK) != 0;
            if (up && !loopback)
                record.kind = cpe::kAdapterKindInUse;
        }
    }
    freeifaddrs(list);
    return records;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const cpe::adapter_record* GetLocalAdapterInfo() {
    std::lock_guard lock(g_mutex);
    g_records = ReadAdapters();
    if (g_records.empty())
        return nullptr;
    for (std::size_t i = 0; i + 1 < g_records.size(); ++i)
        g_records[i].next.set(sizeof(cpe::adapter_record));
    return g_records.data();
}

extern "C" __attribute__((visibility("default"))) void ClearLocalAdapterInfo() {
    std::lock_guard lock(g_mutex);
    g_records.clear();
    g_records.shrink_to_fit();
}
