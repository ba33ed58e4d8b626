// Reading device records out of received payloads; the layouts themselves are checked at
// compile time next to the records.
#include "protocol/records.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace cpe {
namespace {

// Places a get_info payload into a device record the way the receiver does.
ap_info_stu RecordFromGetInfo(std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> whole(kGetInfoPayloadOffset, 0);
    whole.insert(whole.end(), payload.begin(), payload.begin() + std::min(payload.size(), kGetInfoPayloadSize));
    return ReadRecord<ap_info_stu>(whole);
}

TEST(DeviceRecord, FullGetInfoPayloadFillsBytes24To767) {
    std::vector<std::uint8_t> payload(kGetInfoPayloadSize);
    std::iota(payload.begin(), payload.end(), 1);
    const ap_info_stu record = RecordFromGetInfo(payload);
    const auto bytes = BytesOf(record);
    for (std::size_t i = 0; i < kGetInfoPayloadOffset; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), bytes.begin() + kGetInfoPayloadOffset));
    EXPECT_EQ(record.work_mode, 1);
    EXPECT_EQ(record.vlan_id_lan.get(),
              (static_cast<std::uint8_t>(762 - 23) | static_cast<std::uint8_t>(763 - 23) << 8));
}

TEST(DeviceRecord, ShortPayloadLeavesTheRestZero) {
    const std::vector<std::uint8_t> payload(100, 0xAB);
    const ap_info_stu record = RecordFromGetInfo(payload);
    const auto bytes = BytesOf(record);
    EXPECT_EQ(bytes[kGetInfoPayloadOffset + 99], 0xAB);
    EXPECT_TRUE(
        std::all_of(bytes.begin() + kGetInfoPayloadOffset + 100, bytes.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(DeviceRecord, UnalignedKeyTimesAreLittleEndianBytes) {
    ap_info_stu record = ReadRecord<ap_info_stu>({});
    record.security.wpapsk_key_time.set(0x11223344);
    record.bridge.security.wpa_key_time.set(0xA1B2C3D4);
    const auto bytes = BytesOf(record);
    const std::size_t own = 188 + 67, remote = 494 + 258;
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + own, bytes.begin() + own + 4),
              (std::vector<std::uint8_t>{0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + remote, bytes.begin() + remote + 4),
              (std::vector<std::uint8_t>{0xD4, 0xC3, 0xB2, 0xA1}));

    std::vector<std::uint8_t> raw(sizeof(ap_info_stu), 0);
    raw[own] = 0x78;
    raw[own + 1] = 0x56;
    raw[own + 2] = 0x34;
    raw[own + 3] = 0x12;
    EXPECT_EQ(ReadRecord<ap_info_stu>(raw).security.wpapsk_key_time.get(), 0x12345678u);
}

TEST(DeviceRecord, LengthByteIsNeverTrustedBeyondTheField) {
    std::vector<std::uint8_t> raw(sizeof(ap_info_stu), 'x');
    raw[86] = 40;  // ap_name length byte claims more than its 32 bytes
    const ap_info_stu record = ReadRecord<ap_info_stu>(raw);
    EXPECT_EQ(record.ap_name.size(), 32u);
    EXPECT_EQ(record.ap_name.view(), std::string(32, 'x'));

    ap_info_stu edited = record;
    edited.ap_name.assign(std::string(50, 'n'));
    EXPECT_EQ(edited.ap_name.len, 32);
    EXPECT_EQ(edited.version.view(), record.version.view()) << "assign must not spill into the next field";

    edited.ap_name.assign(std::string("ab\0cd", 5));
    EXPECT_EQ(edited.ap_name.view().size(), 5u);
    EXPECT_EQ(edited.ap_name.text(), "ab");
}

TEST(SurveyPacket, FullPacketUses1411Bytes) {
    std::vector<std::uint8_t> raw(3 + kMaxSurveyEntries * sizeof(config_otherwl_basic), 0);
    raw[0] = 1;
    raw[1] = 0;
    raw[2] = 32;
    const std::size_t last = 3 + 31 * sizeof(config_otherwl_basic);
    raw[last + 6] = 0xC4;  // signal -60
    raw[last + 41] = 4;
    std::copy_n("Last", 4, raw.begin() + static_cast<std::ptrdiff_t>(last + 9));
    EXPECT_EQ(raw.size(), 1411u);

    const auto packet = ReadRecord<survey_packet>(raw);
    EXPECT_EQ(packet.icount, 32);
    EXPECT_EQ(packet.entries[31].signal, -60);
    EXPECT_EQ(packet.entries[31].ssid.view(), "Last");
    EXPECT_EQ(packet.reserved[0] | packet.reserved[1] | packet.reserved[2], 0);
}

}  // namespace
}  // namespace cpe
