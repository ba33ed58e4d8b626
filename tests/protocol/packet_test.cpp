#include "protocol/packet.h"

#include <gtest/gtest.h>

#include <numeric>

namespace cpe {
namespace {

TEST(PayloadKey, FoldsSignExtendedCharactersIntoBothHalves) {
    // Nine ASCII characters: each is OR-ed with 0x80 before the XOR, the high half stays.
    EXPECT_EQ(FoldKeyText(0, "AAAAAAAAA"), 0xC1u);
    EXPECT_EQ(FoldKeyText(0x1122334455667788ULL, "AA"), 0x1122334455667788ULL);
    // A byte of 0x80 or above is negative: sign-extended, it flips the upper 24 bits of the low
    // half and the whole high half.
    EXPECT_EQ(FoldKeyText(0, "\xC8"), 0xFFFFFFFFFFFFFFC8ULL);
    EXPECT_EQ(FoldKeyText(0, "\xC8\xC8"), 0u);
    EXPECT_EQ(DerivePayloadKey(0x00000000000000FFULL, "\x01"), 0x7E);
}

TEST(PayloadKey, DefaultKeyComesFromTheBuildConfiguration) {
    static_assert(DefaultPayloadKey() == DerivePayloadKey(protocol_key::kSeed, protocol_key::kText));
    EXPECT_EQ(std::string_view(protocol_key::kText).size(), 9u);
}

TEST(ScramblePayload, LeavesZeroBytesAndIsItsOwnInverse) {
    std::vector<std::uint8_t> bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    const auto original = bytes;
    const std::uint8_t key = 0x5A;
    ScramblePayload(key, bytes);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[0x01], 0x01 ^ key);
    EXPECT_EQ(bytes[key], 0) << "a byte equal to the key travels as 0";
    ScramblePayload(key, bytes);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], i == key ? 0 : original[i]) << "byte " << i;
}

TEST(BuildPacket, RequestWithoutPayloadIsABareHeader) {
    const auto packet = BuildPacket(0xC1, MessageType::get_info, {});
    const std::vector<std::uint8_t> expected{0x86, 0x17, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(packet, expected);
}

TEST(BuildPacket, ScramblesACopyOfThePayload) {
    const std::vector<std::uint8_t> payload{0x00, 0x01, 0xC1, 0xFF};
    const auto packet = BuildPacket(0xC1, MessageType::set_restart, payload);
    ASSERT_EQ(packet.size(), 20u);
    EXPECT_EQ(packet[4], 5);
    EXPECT_EQ(packet[14], 4);
    EXPECT_EQ(packet[15], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(packet.begin() + 16, packet.end()),
              (std::vector<std::uint8_t>{0x00, 0xC0, 0x00, 0x3E}));
    EXPECT_EQ(payload, (std::vector<std::uint8_t>{0x00, 0x01, 0xC1, 0xFF}));
}

TEST(BuildPacket, SizeLimits) {
    const std::vector<std::uint8_t> largest(kMaxPayload, 0x11);
    const auto packet = BuildPacket(1, MessageType::upgrade, largest);
    EXPECT_EQ(packet.size(), kMaxDatagram);
    EXPECT_EQ(packet[14] | packet[15] << 8, 1456);
    EXPECT_TRUE(BuildPacket(1, MessageType::upgrade, std::vector<std::uint8_t>(kMaxPayload + 1)).empty());
}

TEST(BuildDevicePacket, CarriesModelAndMacAndRoundTrips) {
    const RawMac mac{0x00, 0x1A, 0xFF, 0x00, 0x0B, 0xC1};
    const std::vector<std::uint8_t> payload{1, 2, 3, 0, 0xC1};
    const auto packet = BuildDevicePacket(0xC1, 260, mac, MessageType::heartbeat, payload);

    const auto header = ParsePacketHeader(packet);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->model.get(), 260);
    EXPECT_EQ(header->type.get(), TypeCode(MessageType::heartbeat));
    EXPECT_EQ(header->mac, mac);
    EXPECT_EQ(header->length.get(), 5);
    EXPECT_EQ(header->reserved[0] | header->reserved[1], 0);
    EXPECT_EQ(ReadPayload(0xC1, packet), (std::vector<std::uint8_t>{1, 2, 3, 0, 0}));
}

TEST(ParsePacketHeader, AcceptsOnlyBoundedDatagramsWithTheMagic) {
    auto packet = BuildPacket(7, MessageType::search, {});
    EXPECT_TRUE(ParsePacketHeader(packet));
    EXPECT_FALSE(ParsePacketHeader(std::span(packet).first(15)));
    EXPECT_FALSE(ParsePacketHeader({}));

    std::vector<std::uint8_t> largest(kMaxDatagram, 0);
    std::copy(packet.begin(), packet.end(), largest.begin());
    EXPECT_TRUE(ParsePacketHeader(largest));
    largest.push_back(0);
    EXPECT_FALSE(ParsePacketHeader(largest));

    packet[0] ^= 1;
    EXPECT_FALSE(ParsePacketHeader(packet));
}

TEST(ParsePacketHeader, PayloadNeverExceedsTheDatagram) {
    auto packet = BuildPacket(7, MessageType::get_info, std::vector<std::uint8_t>(10, 0x20));
    packet[14] = 0xFF;  // claims 0x00FF bytes, holds 10
    const auto header = ParsePacketHeader(packet);
    ASSERT_TRUE(header);
    EXPECT_EQ(PacketPayload(packet, *header).size(), 10u);
    EXPECT_EQ(ReadPayload(7, packet), std::vector<std::uint8_t>(10, 0x20));

    packet[14] = 3;  // claims fewer than it holds: the extra bytes are not payload
    EXPECT_EQ(ReadPayload(7, packet).size(), 3u);
}

}  // namespace
}  // namespace cpe
