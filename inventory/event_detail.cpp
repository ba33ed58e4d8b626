#include "inventory/event_detail.h"

#include "platform/sha256.h"
#include "platform/unicode_text.h"

namespace cpe::inventory {

EventDetail& EventDetail::Add(std::string_view key, std::string_view text) {
    if (json_.size() > 1)
        json_ += ',';
    platform::AppendJsonString(json_, key);
    json_ += ':';
    platform::AppendJsonString(json_, text);
    return *this;
}

EventDetail& EventDetail::Add(std::string_view key, std::int64_t number) {
    if (json_.size() > 1)
        json_ += ',';
    platform::AppendJsonString(json_, key);
    json_ += ':';
    json_ += std::to_string(number);
    return *this;
}

EventDetail FirmwareDetail(const std::filesystem::path& image) {
    EventDetail detail;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(image, ec);
    const auto digest = platform::Sha256OfFile(image);
    detail.Add("file", image.filename().string());
    detail.Add("size", ec ? std::int64_t{-1} : static_cast<std::int64_t>(size));
    detail.Add("sha256", digest ? platform::HexText(*digest) : std::string());
    return detail;
}

}  // namespace cpe::inventory
