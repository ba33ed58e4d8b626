// libFuzzer target: any datagram on the TFTP server's port, through the request parser and the
// option negotiation into the option acknowledgement.
#include <cstddef>
#include <cstdint>
#include <variant>

#include "service/tftp_options.h"
#include "service/tftp_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cpe::service;
    const std::span<const std::uint8_t> datagram(data, size);
    ParseTftpHeader(datagram);
    const auto parsed = ParseTftpRequest(datagram);
    if (const auto* request = std::get_if<TftpRequest>(&parsed)) {
        const TftpSettings settings = NegotiateOptions(request->options, size, TftpLimits{});
        if (settings.blockSize < kTftpMinBlockSize || settings.blockSize > kTftpMaxBlockSize || settings.windowSize < 1)
            __builtin_trap();
        MakeOptionAck(settings.acknowledged);
    }
    return 0;
}
