// libFuzzer entry for everything that reads untrusted bytes: received datagrams, the records
// cut from their payloads, and the address and name texts typed by the operator.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "protocol/codes.h"
#include "protocol/packet.h"
#include "protocol/records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cpe;
    const std::span<const std::uint8_t> bytes(data, size);

    if (const auto header = ParsePacketHeader(bytes)) {
        if (size < kHeaderSize || size > kMaxDatagram)
            std::abort();
        const auto payload = ReadPayload(DefaultPayloadKey(), bytes);
        if (payload.size() > size - kHeaderSize || payload.size() > header->length.get())
            std::abort();
        const auto record = ReadRecord<ap_info_stu>(payload);
        const auto survey = ReadRecord<survey_packet>(payload);
        if (record.ap_name.view().size() > 32 || survey.entries[0].ssid.text().size() > 32)
            std::abort();
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (IsValidIp(text, false) && !IsValidIp(FormatIp(ParseIp(text)), false))
        std::abort();
    IsValidMask(text);
    const RawMac mac = ParseMac(text);
    if (ParseMac(FormatMac(mac)) != mac)
        std::abort();

    std::u16string wide(size / 2, u'\0');
    std::memcpy(wide.data(), data, wide.size() * sizeof(char16_t));
    const auto cut = CutToDeviceBytes(wide, 32);
    if (cut.size() > 32 || std::u16string_view(wide).substr(0, cut.size()) != cut)
        std::abort();
    return 0;
}
