// How much the configuration forms' edits accept. The device fields behind them are byte
// arrays of a fixed size; these limits keep typing within them, and the forms' checks refuse
// whatever still does not fit (a character can take more than one byte).
#pragma once

#include <cstddef>

namespace cpe::actions {

inline constexpr std::size_t kLocationMaxChars = 32;  // device name (location)
inline constexpr std::size_t kSsidMaxChars = 32;
inline constexpr std::size_t kKeyMaxChars = 64;       // pre-shared key, RADIUS key
inline constexpr std::size_t kIntervalMaxDigits = 5;  // key update intervals
inline constexpr std::size_t kWepKeyMaxChars = 26;

// Device names and SSIDs travel in fields of this many bytes.
inline constexpr std::size_t kDeviceTextBytes = 32;

}  // namespace cpe::actions
