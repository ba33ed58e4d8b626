#include "service/tftp_packet.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace cpe::service {
namespace {

// The NUL-terminated text at `pos`, advancing past its terminator; nothing when it does not end
// inside the datagram.
std::optional<std::string> TakeText(std::span<const std::uint8_t> d, std::size_t& pos) {
    const auto begin = d.begin() + static_cast<std::ptrdiff_t>(pos);
    const auto nul = std::find(begin, d.end(), std::uint8_t{0});
    if (nul == d.end())
        return std::nullopt;
    std::string text(begin, nul);
    pos = static_cast<std::size_t>(nul - d.begin()) + 1;
    return text;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

void AppendText(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

}  // namespace

std::variant<TftpRequest, std::string> ParseTftpRequest(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < 2)
        return std::string("datagram too short");
    const std::uint16_t op = static_cast<std::uint16_t>(datagram[0] << 8 | datagram[1]);
    if (op != static_cast<std::uint16_t>(TftpOpcode::kReadRequest) &&
        op != static_cast<std::uint16_t>(TftpOpcode::kWriteRequest))
        return "opcode " + std::to_string(op) + " is not a request";
    TftpRequest request;
    request.opcode = static_cast<TftpOpcode>(op);
    std::size_t pos = 2;
    auto file = TakeText(datagram, pos);
    if (!file)
        return std::string("file name is not terminated");
    auto mode = TakeText(datagram, pos);
    if (!mode)
        return std::string("mode is not terminated");
    if (mode->empty())
        return std::string("mode is empty");
    request.fileName = std::move(*file);
    request.mode = Lower(std::move(*mode));
    while (pos < datagram.size()) {
        auto name = TakeText(datagram, pos);
        if (!name)
            break;
        auto value = TakeText(datagram, pos);
        if (!value)
            break;
        request.options.emplace_back(Lower(std::move(*name)), std::move(*value));
    }
    return request;
}

std::optional<std::pair<TftpOpcode, std::uint16_t>> ParseTftpHeader(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < kTftpHeaderSize)
        return std::nullopt;
    TftpHeader h;
    std::memcpy(&h, datagram.data(), sizeof h);
    return std::pair{static_cast<TftpOpcode>(h.opcode.get()), h.number.get()};
}

void WriteTftpHeader(std::uint8_t* out, TftpOpcode opcode, std::uint16_t number) {
    TftpHeader h;
    h.opcode.set(static_cast<std::uint16_t>(opcode));
    h.number.set(number);
    std::memcpy(out, &h, sizeof h);
}

std::vector<std::uint8_t> MakeTftpError(TftpError code, std::string_view message) {
    std::vector<std::uint8_t> out(kTftpHeaderSize);
    WriteTftpHeader(out.data(), TftpOpcode::kError, static_cast<std::uint16_t>(code));
    AppendText(out, message);
    return out;
}

std::vector<std::uint8_t> MakeOptionAck(const std::vector<TftpOption>& options) {
    std::vector<std::uint8_t> out = {0, static_cast<std::uint8_t>(TftpOpcode::kOptionAck)};
    for (const auto& [name, value] : options) {
        AppendText(out, name);
        AppendText(out, value);
    }
    return out;
}

}  // namespace cpe::service
