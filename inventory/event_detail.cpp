#include "inventory/event_detail.h"

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

}  // namespace cpe::inventory
