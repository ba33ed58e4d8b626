// The series the exporter serves: one set per device (up, info, up time, channel, last seen) and
// the exporter's own (searches, datagrams per port, devices online, build). A device's keys are
// never among them: only the fields named here leave the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/exporter/exposition.h"

namespace cpe::cli {

// One device as the exporter shows it; texts in UTF-8.
struct DeviceSample {
    std::string mac;
    std::string ip;
    std::string name;
    std::string model;
    std::string firmware;
    std::string mode;
    std::string ssid;
    bool online = false;
    std::uint32_t upTime = 0;  // seconds; shown for an online device only
    int channel = 0;           // 0: automatic; shown for an online device only
    double lastSeen = 0;       // Unix time in seconds; 0 when never heard in this run
};

struct PortSample {
    std::uint16_t port = 0;
    std::uint64_t received = 0;
    std::uint64_t invalid = 0;    // failed the size, magic or type check
    std::uint64_t queueFull = 0;  // arrived while the port's queue was full
};

struct ExporterSample {
    std::uint64_t searches = 0;
    std::vector<PortSample> ports;
    std::string version;
};

// The whole exposition, devices in the order given.
std::string RenderFleetMetrics(const std::vector<const DeviceSample*>& devices, const ExporterSample& exporter,
                               ExpositionFormat format);

}  // namespace cpe::cli
