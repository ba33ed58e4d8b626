// The population of a simulated network: every device's identity, model, role, address and
// factory settings, and the survey an access point's neighbours would report.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "protocol/records.h"
#include "sim/device.h"
#include "sim/sim_options.h"

namespace cpe::sim {

// The ten model codes, dealt to the devices in turn.
inline constexpr std::uint16_t kModelCodes[] = {1, 2, 3, 4, 5, 257, 258, 259, 260, 261};
bool InModelSetB(std::uint16_t model);

// Devices in index order. Every fifth device from the first is an access point with a bridged
// station right after it; names and SSIDs mix ASCII, accented Latin and CJK text (UTF-8).
std::vector<SimDevice> BuildFleet(const SimOptions& options, Clock::time_point now);

// The access points a device hears: the fleet's other access points first, then invented ones,
// at most `max` entries. Signal levels come from the generator.
std::vector<config_otherwl_basic> SurveyFor(const std::vector<SimDevice>& fleet, const SimDevice& self,
                                            std::uint32_t invented, std::uint32_t max, std::mt19937_64& rng);

// Survey entries cut into packets of at most 32 entries with their count and index; an empty
// survey is one packet with no entries.
std::vector<survey_packet> SurveyPackets(const std::vector<config_otherwl_basic>& entries);

}  // namespace cpe::sim
