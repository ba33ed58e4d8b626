// The local adapters as the engine uses them: which are usable, the directed broadcast address
// of every local subnet, and the local address that faces a given device.
#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/net_management.h"
#include "protocol/codes.h"

namespace cpe {
namespace {

constexpr std::string_view kUnset = "0.0.0.0";

std::optional<std::uint32_t> ParseAddress(std::string_view text) {
    const std::string terminated(text);
    in_addr address;
    if (inet_pton(AF_INET, terminated.c_str(), &address) != 1)
        return std::nullopt;
    return address.s_addr;
}

std::string FormatAddress(std::uint32_t networkOrder) {
    RawIp raw;
    std::memcpy(raw.data(), &networkOrder, raw.size());
    return FormatIp(raw);
}

// A NUL-terminated text field read without trusting the terminator.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}

std::size_t AddressCount(const adapter_record& record) {
    return static_cast<std::size_t>(std::clamp<std::int32_t>(record.address_count.get(), 0, kMaxAdapterAddresses));
}

bool IsUsable(const adapter_record& record) {
    return record.kind == kAdapterKindInUse && AddressCount(record) > 0 && FieldText(record.addresses[0].ip) != kUnset;
}

}  // namespace

std::optional<std::string> BroadcastOf(std::string_view ip, std::string_view mask) {
    if (ip == kUnset || mask.empty() || mask == kUnset)
        return std::nullopt;
    const auto address = ParseAddress(ip);
    const auto netmask = ParseAddress(mask);
    if (!address || !netmask)
        return std::nullopt;
    return FormatAddress(*address | ~*netmask);
}

bool SameSubnetText(std::string_view a, std::string_view mask, std::string_view b) {
    if (a == kUnset || b.empty() || b == kUnset || mask.empty() || mask == kUnset)
        return false;
    const auto first = ParseAddress(a);
    const auto second = ParseAddress(b);
    const auto netmask = ParseAddress(mask);
    return first && second && netmask && (*first & *netmask) == (*second & *netmask);
}

std::vector<adapter_record> CNetManagement::QueryAdapters() {
    std::vector<adapter_record> usable;
    std::lock_guard lock(adapterMutex_);
    if (!adapters_)
        return usable;
    for (adapter_record& record : adapters_->Read()) {
        if (!IsUsable(record))
            continue;
        record.kind = 0;
        record.next.set(0);
        usable.push_back(record);
    }
    return usable;
}

std::vector<std::string> CNetManagement::BroadcastAddresses() {
    std::vector<std::string> addresses;
    for (const adapter_record& record : QueryAdapters()) {
        for (std::size_t i = 0; i < AddressCount(record); ++i) {
            const std::string_view ip = FieldText(record.addresses[i].ip);
            if (ip.empty())
                continue;
            const auto broadcast = BroadcastOf(ip, FieldText(record.addresses[i].mask));
            if (broadcast && std::find(addresses.begin(), addresses.end(), *broadcast) == addresses.end())
                addresses.push_back(*broadcast);
        }
    }
    return addresses;
}

std::vector<LocalAddress> CNetManagement::LocalAddressesFor(const std::vector<std::string>& targetIps) {
    std::vector<LocalAddress> result;
    const std::vector<adapter_record> adapters = QueryAdapters();
    for (const std::string& target : targetIps) {
        const adapter_record* facing = nullptr;
        std::string_view localIp;
        for (const adapter_record& record : adapters) {
            for (std::size_t i = 0; i < AddressCount(record) && facing == nullptr; ++i) {
                const std::string_view ip = FieldText(record.addresses[i].ip);
                if (!ip.empty() && SameSubnetText(ip, FieldText(record.addresses[i].mask), target)) {
                    facing = &record;
                    localIp = ip;
                }
            }
            if (facing != nullptr)
                break;
        }
        if (facing == nullptr)
            continue;
        const bool known =
            std::any_of(result.begin(), result.end(), [&](const LocalAddress& a) { return a.ip == localIp; });
        if (!known) {
            RawMac mac;
            std::memcpy(mac.data(), facing->hw_address, mac.size());
            result.push_back({std::string(localIp), FormatMac(mac)});
        }
    }
    return result;
}

}  // namespace cpe
