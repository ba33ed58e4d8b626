// What the operator is told when the protocol engine could not start: which UDP port failed and
// that devices cannot be found, in the program's language. The program runs on without devices.
#pragma once

#include <QString>

namespace cpe {

struct EngineStartResult;

// Text keys of the message: another program holds the port; the port failed otherwise (the
// system's reason fills "%s"); the engine failed before or after its ports.
inline constexpr const char* kEnginePortInUseKey =
    "UDP port %d is used by another program, so no devices can be found. Close that program and start this one again.";
inline constexpr const char* kEnginePortFailedKey = "UDP port %d cannot be opened (%s), so no devices can be found.";
inline constexpr const char* kEngineFailedKey = "The network engine cannot start (%s), so no devices can be found.";

// The translated message for a failed start (empty for a successful one). Only the first "%d"
// and the first "%s" of the translation are filled, so a translation cannot inject conversions.
QString EngineStartMessage(const EngineStartResult& result);

}  // namespace cpe
