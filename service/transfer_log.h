// One line per transfer on standard error: who asked, for what, how many bytes went out and how
// it ended. Names come from the network, so anything unprintable in them is escaped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace cpe::service {

struct TransferRecord {
    std::string peer;  // "10.77.64.5:40123"
    std::string file;  // as requested
    std::uint64_t bytes = 0;
    std::string result;  // "ok", or what went wrong
};

using TransferLog = std::function<void(const TransferRecord&)>;

// `text` with every byte outside printable ASCII, the backslash and the quote as \xHH.
std::string EscapeForLog(std::string_view text);
// "cpe-tftpd: 10.77.64.5:40123 \"fw.bin\" 123 bytes: ok"
std::string FormatTransfer(std::string_view program, const TransferRecord& record);
// Writes each record as one line to standard error, whole lines only even from several threads.
TransferLog StderrTransferLog(std::string program);

}  // namespace cpe::service
