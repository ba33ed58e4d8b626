// The device codes as the operator reads them: the translations of the code tables' keys.
// Qt-free, so every page and dialog shows the same text for a code.
#pragma once

#include <string>

namespace cpe {

std::string StatusText(int statusCode);      // codes outside 0..9 -> ""
std::string WorkModeText(int workMode);      // codes outside 1..7 -> ""
std::string SecureModeText(int secureMode);  // codes outside 0..6 -> ""
std::string ChannelText(int channel);        // 0 -> translated "Auto", else "%d"

}  // namespace cpe
