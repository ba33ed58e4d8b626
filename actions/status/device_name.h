// A new device name, checked and cut the way the status list's rename takes it: a name holding a
// CJK ideograph is refused, any other is cut to what the device keeps (32 bytes) and sent in the
// local ANSI code set.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cpe::actions {

inline constexpr std::size_t kDeviceNameBytes = 32;
inline constexpr const char* kNoChineseNameKey = "Device name cannot enter Chinese character!";

struct DeviceNameChange {
    bool refused = false;  // holds a CJK ideograph (the message of kNoChineseNameKey)
    std::u16string shown;  // the name as the device will keep it
    // What set_name carries; nothing when the local code set cannot hold the name (it would
    // reach the device blank, so nothing is sent).
    std::optional<std::string> ansi;
};

DeviceNameChange PrepareDeviceName(std::u16string_view name);

// The longest prefix of `name` whose ANSI form takes at most `maxBytes` bytes, in the ANSI code
// set, never ending inside a character.
std::string AnsiPrefix(std::u16string_view name, std::size_t maxBytes);

}  // namespace cpe::actions
