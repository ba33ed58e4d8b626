#include "bench/load/flood_traffic.h"

#include <cstring>

#include "protocol/packet.h"
#include "protocol/records.h"

namespace cpe::flood {
namespace {

constexpr std::size_t kMacOffset = offsetof(packet_header, mac);
constexpr std::size_t kLengthOffset = offsetof(packet_header, length);
constexpr std::uint16_t kModels[] = {1, 2, 3, 4, 5, 257, 258, 259, 260, 261};
// Reply types a device may send to the request port, and some that no device sends.
constexpr std::uint16_t kReplyTypes[] = {2, 3, 6, 7, 9, 10, 12, 13, 16, 0, 14, 99, 0xffff};

std::vector<std::uint8_t> RandomBytes(std::mt19937_64& random, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

std::vector<std::uint8_t> DevicePacket(std::mt19937_64& random, std::uint16_t type, std::size_t payloadSize) {
    const RawMac mac{};
    std::vector<std::uint8_t> payload = RandomBytes(random, payloadSize);
    return BuildDevicePacket(DefaultPayloadKey(), kModels[random() % std::size(kModels)], mac, type, payload);
}

std::vector<std::uint8_t> SearchReply(std::mt19937_64& random) {
    search_summary summary{};
    summary.version.assign("V" + std::to_string(random() % 100) + ".0");
    summary.up_time.set(static_cast<std::uint32_t>(random()));
    summary.ap_name.assign("flood-" + std::to_string(random() % 100000));
    summary.ssid.assign("nowhere");
    summary.channel = static_cast<std::uint8_t>(1 + random() % 13);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&summary);
    return BuildDevicePacket(DefaultPayloadKey(), kModels[random() % std::size(kModels)], RawMac{}, MessageType::search,
                             std::span(raw, sizeof summary));
}

}  // namespace

std::string_view KindName(Kind kind) {
    switch (kind) {
    case Kind::kSearchReply: return "search replies";
    case Kind::kHeartbeat: return "heartbeats";
    case Kind::kReply: return "replies";
    case Kind::kGarbage: return "garbage";
    case Kind::kBadMagic: return "bad magic";
    case Kind::kLyingLength: return "lying length";
    case Kind::kOversized: return "oversized";
    }
    return "?";
}

void VaryMac(std::span<std::uint8_t> datagram, std::mt19937_64& random) {
    const std::uint64_t bits = random();
    std::uint8_t mac[6];
    std::memcpy(mac, &bits, sizeof mac);
    mac[0] = 0x06;  // locally administered, unicast; the simulator's devices start with 0x02
    std::memcpy(datagram.data() + kMacOffset, mac, sizeof mac);
}

std::vector<Datagram> MakeMix(std::mt19937_64& random, std::size_t count) {
    // One round of the mix: what each kind is, where it goes.
    struct Slot {
        Kind kind;
        std::size_t port;
    };
    static constexpr Slot kRound[] = {
        {Kind::kSearchReply, 0}, {Kind::kSearchReply, 0}, {Kind::kHeartbeat, 2},   {Kind::kHeartbeat, 2},
        {Kind::kReply, 3},       {Kind::kReply, 3},       {Kind::kGarbage, 0},     {Kind::kGarbage, 1},
        {Kind::kGarbage, 2},     {Kind::kGarbage, 3},     {Kind::kBadMagic, 0},    {Kind::kBadMagic, 2},
        {Kind::kBadMagic, 3},    {Kind::kLyingLength, 0}, {Kind::kLyingLength, 2}, {Kind::kLyingLength, 3},
        {Kind::kOversized, 1},   {Kind::kOversized, 3},
    };
    std::vector<Datagram> mix;
    mix.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Slot slot = kRound[i % std::size(kRound)];
        Datagram d{slot.kind, slot.port, {}, false};
        switch (slot.kind) {
        case Kind::kSearchReply:
            d.bytes = SearchReply(random);
            d.deviceHeader = true;
            break;
        case Kind::kHeartbeat:
            d.bytes = DevicePacket(random, TypeCode(MessageType::heartbeat), sizeof(search_summary));
            d.deviceHeader = true;
            break;
        case Kind::kReply: {
            const std::uint16_t type = kReplyTypes[random() % std::size(kReplyTypes)];
            const std::size_t size = type == TypeCode(MessageType::get_info) ? kGetInfoPayloadSize : random() % 1400;
            d.bytes = DevicePacket(random, type, size);
            d.deviceHeader = true;
            break;
        }
        case Kind::kGarbage: d.bytes = RandomBytes(random, random() % 200); break;
        case Kind::kBadMagic:
            d.bytes = DevicePacket(random, TypeCode(MessageType::search), random() % 200);
            d.bytes[0] ^= 0x5a;
            break;
        case Kind::kLyingLength: {
            // A type each port lets through, so the lie reaches the worker.
            const std::uint16_t type = slot.port == 0   ? TypeCode(MessageType::search)
                                       : slot.port == 2 ? TypeCode(MessageType::heartbeat)
                                                        : kReplyTypes[random() % std::size(kReplyTypes)];
            d.bytes = DevicePacket(random, type, random() % 64);
            d.bytes[kLengthOffset] = 0xff;
            d.bytes[kLengthOffset + 1] = 0xff;
            d.deviceHeader = true;
            break;
        }
        case Kind::kOversized:
            d.bytes = DevicePacket(random, TypeCode(MessageType::get_info), kMaxPayload);
            d.bytes.resize(kMaxDatagram + 1 + random() % 2500, 0x42);
            break;
        }
        mix.push_back(std::move(d));
    }
    return mix;
}

}  // namespace cpe::flood
