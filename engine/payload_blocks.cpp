#include "engine/payload_blocks.h"

#include <algorithm>
#include <cstring>

#include "lang/operate_character.h"

namespace cpe {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> Slice(const ap_info_stu& record, std::size_t offset) {
    static_assert(N <= sizeof(ap_info_stu));
    std::array<std::uint8_t, N> block;
    std::memcpy(block.data(), reinterpret_cast<const std::uint8_t*>(&record) + offset, N);
    return block;
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

CountedText<32> ToDeviceCountedText(const CountedText<32>& local) {
    std::string device = COperateCharacter::ToDeviceText(local.view());
    if (device.size() > 32) {
        // Only a conversion to UTF-8 makes a text longer: drop the character the cut would split.
        std::size_t cut = 32;
        while (cut > 0 && IsUtf8Continuation(device[cut]))
            --cut;
        device.resize(cut);
    }
    CountedText<32> out;
    out.assign(device);
    return out;
}

NameBlock MakeNameBlock(const ap_info_stu& record) {
    ap_info_stu copy = record;
    copy.ap_name = ToDeviceCountedText(record.ap_name);
    return Slice<kNameBlockSize>(copy, kNameBlockOffset);
}

IpBlock MakeIpBlock(const ap_info_stu& record) { return Slice<kIpBlockSize>(record, kIpBlockOffset); }

RestartBlock MakeRestartBlock(const ap_info_stu& record) {
    return Slice<kRestartBlockSize>(record, kRestartBlockOffset);
}

WirelessBlock MakeWirelessBlock(const ap_info_stu& record) {
    ap_info_stu copy = record;
    copy.ssid = ToDeviceCountedText(record.ssid);
    return Slice<kWirelessBlockSize>(copy, kWirelessBlockOffset);
}

VlanBlock MakeVlanBlock(const ap_info_stu& record) { return Slice<kVlanBlockSize>(record, kVlanBlockOffset); }

BridgePayload MakeBridgePayload(const ap_info_stu& record) {
    ap_info_stu copy = record;
    copy.bridge.bridge_ssid = ToDeviceCountedText(record.bridge.bridge_ssid);
    BridgePayload payload;
    const auto bridge = Slice<kBridgeBlockSize>(copy, kBridgeBlockOffset);
    const auto ip = MakeIpBlock(copy);
    std::copy(bridge.begin(), bridge.end(), payload.begin());
    std::copy(ip.begin(), ip.end(), payload.begin() + kBridgeBlockSize);
    return payload;
}

UpgradeBlock MakeUpgradeBlock(std::string_view fileName) {
    UpgradeBlock block{};
    const std::size_t n = std::min(fileName.size(), block.size() - 1);
    std::copy_n(fileName.data(), n, block.data());
    return block;
}

}  // namespace cpe
