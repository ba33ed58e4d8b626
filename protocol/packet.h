// Datagrams of the device protocol: the message types, the size limits, payload scrambling,
// the payload key, building and checking packets, and SendPacket, the one way a request leaves.
//
// The payload key is derived from two protocol constants shared by every peer (the utility,
// the device simulator, the tests). They are configured in one place, cmake/ProtocolKey.cmake
// (cache variables CPE_KEY_SEED and CPE_KEY_TEXT), and reach the code through the generated
// header protocol_key_config.h. The values chosen for this tree are the seed
// 0x4F5256414E41424C and the text "Brimlink9", which give the key 0xC1.
// Take the key from DefaultPayloadKey(); never write the constants anywhere else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "protocol/records.h"
#include "protocol/wire.h"
#include "protocol_key_config.h"

namespace cpe {

enum class MessageType : std::uint16_t {
    search = 1,
    get_info = 2,
    set_ip = 3,
    set_wireless = 4,
    set_restart = 5,
    site_survey = 6,
    bridge = 7,
    set_name = 8,
    reboot = 9,
    restore = 10,
    upgrade = 11,
    upgrade_state = 12,
    set_vlan = 13,
    heartbeat = 15,
    upgrade_poll = 16,
};

constexpr std::uint16_t TypeCode(MessageType type) { return static_cast<std::uint16_t>(type); }

inline constexpr std::uint16_t kMagic = 6022;
inline constexpr std::size_t kHeaderSize = sizeof(packet_header);
inline constexpr std::size_t kMaxDatagram = 1472;
inline constexpr std::size_t kMaxPayload = kMaxDatagram - kHeaderSize;
static_assert(kHeaderSize == 16 && kMaxPayload == 1456);

// XORs every non-zero byte with the key; the same call scrambles and unscrambles. A byte equal
// to the key becomes 0 and cannot be restored: the devices use the same scheme.
void ScramblePayload(std::uint8_t key, std::span<std::uint8_t> payload);

// Folds the text into the seed: each character, sign-extended from 8 to 32 bits and OR-ed with
// 0x80, is XOR-ed into the low half; the high half takes its sign. Returns the whole state.
constexpr std::uint64_t FoldKeyText(std::uint64_t seed, std::string_view text) {
    std::uint32_t low = static_cast<std::uint32_t>(seed);
    std::uint32_t high = static_cast<std::uint32_t>(seed >> 32);
    for (char c : text) {
        const std::int32_t v = static_cast<std::int32_t>(static_cast<std::int8_t>(c)) | 0x80;
        low ^= static_cast<std::uint32_t>(v);
        high ^= v < 0 ? 0xFFFFFFFFu : 0u;
    }
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

constexpr std::uint8_t DerivePayloadKey(std::uint64_t seed, std::string_view text) {
    return static_cast<std::uint8_t>(FoldKeyText(seed, text) & 0xFF);
}

constexpr std::uint8_t DefaultPayloadKey() {
    static_assert(sizeof(protocol_key::kText) == 10, "the key text must be 9 characters");
    return DerivePayloadKey(protocol_key::kSeed, protocol_key::kText);
}
static_assert(DefaultPayloadKey() == protocol_key::kKey, "cmake/ProtocolKey.cmake derives another key");

// The datagram a request consists of: zero header except magic, type and length, then the
// payload scrambled (the caller's bytes are not touched). Empty when the payload is too long.
std::vector<std::uint8_t> BuildPacket(std::uint8_t key, std::uint16_t type, std::span<const std::uint8_t> payload);
inline std::vector<std::uint8_t> BuildPacket(std::uint8_t key, MessageType type,
                                             std::span<const std::uint8_t> payload) {
    return BuildPacket(key, TypeCode(type), payload);
}

// A datagram as a device sends it: like BuildPacket, with the device's model code and MAC in
// the header. Used by the device simulator and the tests.
std::vector<std::uint8_t> BuildDevicePacket(std::uint8_t key, std::uint16_t model, const RawMac& mac,
                                            std::uint16_t type, std::span<const std::uint8_t> payload);
inline std::vector<std::uint8_t> BuildDevicePacket(std::uint8_t key, std::uint16_t model, const RawMac& mac,
                                                   MessageType type, std::span<const std::uint8_t> payload) {
    return BuildDevicePacket(key, model, mac, TypeCode(type), payload);
}

// The header of a received datagram, or nothing unless it is 16..1472 bytes long and starts
// with the magic number. The length field is not trusted here; see PacketPayload.
std::optional<packet_header> ParsePacketHeader(std::span<const std::uint8_t> datagram);

// The payload bytes the header announces, cut to what the datagram really holds.
std::span<const std::uint8_t> PacketPayload(std::span<const std::uint8_t> datagram, const packet_header& header);

// An unscrambled copy of the payload of an accepted datagram (empty when not accepted).
std::vector<std::uint8_t> ReadPayload(std::uint8_t key, std::span<const std::uint8_t> datagram);

// Builds the request and sends it in one datagram from the given UDP socket to ipText:port.
// True when the system reported more than 0 bytes sent. False for a closed socket, an IP text
// that is not a dotted quad, a payload over kMaxPayload or missing while length is non-zero,
// and a broadcast from a socket without the broadcast permission.
bool SendPacket(std::uint8_t key, int socketFd, std::string_view ipText, std::uint16_t port, std::uint16_t type,
                const void* payload, std::size_t length);
inline bool SendPacket(std::uint8_t key, int socketFd, std::string_view ipText, std::uint16_t port, MessageType type,
                       const void* payload, std::size_t length) {
    return SendPacket(key, socketFd, ipText, port, TypeCode(type), payload, length);
}

}  // namespace cpe
