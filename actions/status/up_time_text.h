// A device's up time as the lists show it.
#pragma once

#include <cstdint>
#include <string>

namespace cpe::actions {

// "h:m:s" under one day (hours modulo 24), "d h:m:s" from one day on; nothing zero-padded.
std::string UpTimeText(std::uint32_t seconds);

}  // namespace cpe::actions
