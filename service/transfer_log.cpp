#include "service/transfer_log.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <mutex>

namespace cpe::service {

std::string EscapeForLog(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

std::string FormatTransfer(std::string_view program, const TransferRecord& record) {
    return std::string(program) + ": " + record.peer + " \"" + EscapeForLog(record.file) + "\" " +
           std::to_string(record.bytes) + " bytes: " + EscapeForLog(record.result);
}

TransferLog StderrTransferLog(std::string program) {
    auto lock = std::make_shared<std::mutex>();
    return [program = std::move(program), lock](const TransferRecord& record) {
        const std::string line = FormatTransfer(program, record) + "\n";
        std::lock_guard guard(*lock);
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
    };
}

}  // namespace cpe::service
