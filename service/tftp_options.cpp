#include "service/tftp_options.h"

#include <algorithm>
#include <string>

#include "service/decimal.h"

namespace cpe::service {
namespace {

bool Seen(const std::vector<TftpOption>& acknowledged, const std::string& name) {
    return std::any_of(acknowledged.begin(), acknowledged.end(), [&](const TftpOption& o) { return o.first == name; });
}

}  // namespace

TftpSettings NegotiateOptions(const std::vector<TftpOption>& requested, std::uint64_t fileSize,
                              const TftpLimits& limits) {
    TftpSettings s;
    for (const auto& [name, text] : requested) {
        if (Seen(s.acknowledged, name))
            continue;  // the first of a repeated option counts
        const auto value = ParseDecimal(text);
        if (!value)
            continue;
        if (name == "blksize") {
            if (*value < kTftpMinBlockSize)
                continue;
            s.blockSize = static_cast<std::uint16_t>(std::min<std::uint64_t>(*value, limits.maxBlockSize));
            s.acknowledged.emplace_back(name, std::to_string(s.blockSize));
        } else if (name == "tsize") {
            s.acknowledged.emplace_back(name, std::to_string(fileSize));
        } else if (name == "timeout") {
            if (*value < 1 || *value > 255)
                continue;
            s.timeout = std::chrono::seconds(*value);
            s.acknowledged.emplace_back(name, std::to_string(*value));
        } else if (name == "windowsize") {
            if (*value < 1 || *value > 65535)
                continue;
            s.windowSize = static_cast<std::uint16_t>(std::min<std::uint64_t>(*value, limits.maxWindowSize));
            s.acknowledged.emplace_back(name, "");  // filled in below, once the block size is known
        }
    }
    // Large blocks get fewer of them in flight, so one transfer's window stays bounded in memory.
    const auto byBytes = std::max<std::uint32_t>(1, limits.maxWindowBytes / s.blockSize);
    s.windowSize = static_cast<std::uint16_t>(std::min<std::uint32_t>(s.windowSize, byBytes));
    for (auto& [name, value] : s.acknowledged)
        if (name == "windowsize")
            value = std::to_string(s.windowSize);
    return s;
}

}  // namespace cpe::service
