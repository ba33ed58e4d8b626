// Plain decimal numbers as protocols write them: digits only, no sign, no blanks.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace cpe::service {

// The value, or nothing for any other text and for a number beyond 64 bits.
inline std::optional<std::uint64_t> ParseDecimal(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (err != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace cpe::service
