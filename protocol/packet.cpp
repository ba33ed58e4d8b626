#include "protocol/packet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace cpe {

void ScramblePayload(std::uint8_t key, std::span<std::uint8_t> payload) {
    for (std::uint8_t& b : payload) {
        if (b != 0)
            b ^= key;
    }
}

std::vector<std::uint8_t> BuildDevicePacket(std::uint8_t key, std::uint16_t model, const RawMac& mac,
                                            std::uint16_t type, std::span<const std::uint8_t> payload) {
    if (payload.size() > kMaxPayload)
        return {};
    packet_header header;
    std::memset(&header, 0, sizeof header);
    header.magic.set(kMagic);
    header.model.set(model);
    header.type.set(type);
    header.mac = mac;
    header.length.set(static_cast<std::uint16_t>(payload.size()));

    std::vector<std::uint8_t> packet(kHeaderSize + payload.size());
    std::memcpy(packet.data(), &header, kHeaderSize);
    std::copy(payload.begin(), payload.end(), packet.begin() + kHeaderSize);
    ScramblePayload(key, std::span(packet).subspan(kHeaderSize));
    return packet;
}

std::vector<std::uint8_t> BuildPacket(std::uint8_t key, std::uint16_t type, std::span<const std::uint8_t> payload) {
    return BuildDevicePacket(key, 0, RawMac{}, type, payload);
}

std::optional<packet_header> ParsePacketHeader(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < kHeaderSize || datagram.size() > kMaxDatagram)
        return std::nullopt;
    const auto header = ReadRecord<packet_header>(datagram);
    if (header.magic.get() != kMagic)
        return std::nullopt;
    return header;
}

std::span<const std::uint8_t> PacketPayload(std::span<const std::uint8_t> datagram, const packet_header& header) {
    if (datagram.size() <= kHeaderSize)
        return {};
    const std::size_t held = datagram.size() - kHeaderSize;
    return datagram.subspan(kHeaderSize, std::min<std::size_t>(header.length.get(), held));
}

std::vector<std::uint8_t> ReadPayload(std::uint8_t key, std::span<const std::uint8_t> datagram) {
    const auto header = ParsePacketHeader(datagram);
    if (!header)
        return {};
    const auto payload = PacketPayload(datagram, *header);
    std::vector<std::uint8_t> out(payload.begin(), payload.end());
    ScramblePayload(key, out);
    return out;
}

bool SendPacket(std::uint8_t key, int socketFd, std::string_view ipText, std::uint16_t port, std::uint16_t type,
                const void* payload, std::size_t length) {
    if (socketFd < 0 || length > kMaxPayload || (length > 0 && payload == nullptr))
        return false;

    // inet_pton accepts only a plain dotted quad. The classic conversion turns any text it cannot
    // read into 255.255.255.255, which would make a mistyped address a broadcast.
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, std::string(ipText).c_str(), &to.sin_addr) != 1)
        return false;

    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(payload), length);
    const auto packet = BuildPacket(key, type, bytes);
    const ssize_t sent =
        ::sendto(socketFd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent > 0;
}

}  // namespace cpe
