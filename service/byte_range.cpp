#include "service/byte_range.h"

#include <algorithm>

#include "service/decimal.h"

namespace cpe::service {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithBytesUnit(std::string_view s) {
    constexpr std::string_view unit = "bytes=";
    return s.size() >= unit.size() && std::equal(unit.begin(), unit.end(), s.begin(), [](char a, char b) {
               return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
           });
}

}  // namespace

ByteRange ResolveRange(std::string_view header, std::uint64_t size) {
    using Kind = ByteRange::Kind;
    header = Trim(header);
    if (!StartsWithBytesUnit(header))
        return {};
    const std::string_view ranges = Trim(header.substr(6));
    if (ranges.find(',') != std::string_view::npos)
        return {};  // several ranges: the whole file
    const auto dash = ranges.find('-');
    if (dash == std::string_view::npos)
        return {};
    const std::string_view from = Trim(ranges.substr(0, dash));
    const std::string_view to = Trim(ranges.substr(dash + 1));
    if (from.empty()) {  // the last n bytes
        const auto n = ParseDecimal(to);
        if (!n)
            return {};
        if (*n == 0 || size == 0)
            return {Kind::kUnsatisfiable};
        return {Kind::kPart, size - std::min(*n, size), size - 1};
    }
    const auto first = ParseDecimal(from);
    if (!first)
        return {};
    std::uint64_t last = UINT64_MAX;
    if (!to.empty()) {
        const auto parsed = ParseDecimal(to);
        if (!parsed)
            return {};
        last = *parsed;
        if (last < *first)
            return {Kind::kUnsatisfiable};
    }
    if (*first >= size)
        return {Kind::kUnsatisfiable};
    return {Kind::kPart, *first, std::min(last, size - 1)};
}

}  // namespace cpe::service
