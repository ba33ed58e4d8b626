// The findings of an empty discovery run as the status list shows them in its empty area: a
// heading, then one translated line per finding.
#pragma once

#include <QString>

#include <vector>

#include "actions/doctor/discovery_checks.h"

namespace cpe {

inline constexpr const char* kNoDeviceFoundKey = "The search found no device. What was checked:";

QString DiscoveryFindingsText(const std::vector<actions::CheckFinding>& findings);

}  // namespace cpe
