// What a scrape shows, read from the engine and the device store at the moment of the scrape:
// every identified device with its record, the moment it was last heard from, and the engine's
// counters. Records hold texts in the local code set; the samples hold them in UTF-8.
#pragma once

#include <vector>

#include "cli/exporter/fleet_metrics.h"

namespace cpe {
class CNetManagement;
class CSqlManagement;
}  // namespace cpe

namespace cpe::cli {

struct FleetSnapshot {
    std::vector<DeviceSample> devices;  // by MAC
    ExporterSample exporter;
};

FleetSnapshot TakeFleetSnapshot(CNetManagement& engine, CSqlManagement& store);

}  // namespace cpe::cli
