// How much the configuration forms' entries may hold. The device fields behind them are byte
// arrays of a fixed size, but an edit never cuts what is typed or pasted: it marks the entry as it
// reaches its limit and shows the limit, and the forms' checks refuse at Save what goes beyond.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cpe::actions {

enum class LimitUnit : std::uint8_t {
    kDeviceBytes,  // bytes as sent: UTF-8 when the text holds a CJK ideograph, else the local code set
    kCharacters,
    kDigits,
};

struct EntryLimit {
    std::size_t max;
    LimitUnit unit;
};

inline constexpr EntryLimit kDeviceTextLimit{32, LimitUnit::kDeviceBytes};  // device name, SSIDs
inline constexpr EntryLimit kKeyLimit{64, LimitUnit::kCharacters};          // pre-shared key, RADIUS key
inline constexpr EntryLimit kWepKeyLimit{26, LimitUnit::kCharacters};
inline constexpr EntryLimit kIntervalLimit{5, LimitUnit::kDigits};  // key update intervals

// Device names and SSIDs travel in fields of this many bytes.
inline constexpr std::size_t kDeviceTextBytes = kDeviceTextLimit.max;
inline constexpr std::size_t kKeyMaxChars = kKeyLimit.max;

std::size_t MeasureEntry(std::string_view entry, LimitUnit unit);

enum class LimitState : std::uint8_t { kWithin, kReached, kBeyond };
LimitState LimitStateOf(std::string_view entry, const EntryLimit& limit);

// What the edit says while its entry is at or beyond the limit: "32 bytes at most", translated.
std::string LimitHint(const EntryLimit& limit);

}  // namespace cpe::actions
