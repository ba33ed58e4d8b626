// The ports the devices fetch a firmware image from when told to upgrade: a TFTP read request
// for models outside set B, an HTTP GET for set B. The helper servers listen on them and the
// simulator fetches from them.
#pragma once

#include <cstdint>

namespace cpe {

inline constexpr std::uint16_t kTftpServerPort = 69;
inline constexpr std::uint16_t kHttpServerPort = 80;

}  // namespace cpe
