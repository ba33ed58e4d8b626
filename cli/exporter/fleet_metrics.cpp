#include "cli/exporter/fleet_metrics.h"

#include <algorithm>

namespace cpe::cli {
namespace {

// About what one device's series take, to reserve the text at once.
constexpr std::size_t kBytesPerDevice = 600;

void DeviceFamilies(ExpositionWriter& out, const std::vector<const DeviceSample*>& devices) {
    out.Family("cpe_device_up", MetricType::kGauge,
               "1 when the device answers on the local network, 0 when it is known but offline.");
    for (const DeviceSample* d : devices)
        out.Sample({{"mac", d->mac}}, std::uint64_t{d->online ? 1u : 0u});

    out.Family("cpe_device", MetricType::kInfo, "The device's address, name, model, firmware, mode and SSID.");
    for (const DeviceSample* d : devices)
        out.Sample({{"mac", d->mac},
                    {"ip", d->ip},
                    {"name", d->name},
                    {"model", d->model},
                    {"firmware", d->firmware},
                    {"mode", d->mode},
                    {"ssid", d->ssid}},
                   std::uint64_t{1});

    out.Family("cpe_device_uptime_seconds", MetricType::kGauge, "Seconds since the device started.");
    for (const DeviceSample* d : devices)
        if (d->online)
            out.Sample({{"mac", d->mac}}, std::uint64_t{d->upTime});

    out.Family("cpe_device_channel", MetricType::kGauge, "The device's radio channel; 0 when it chooses one itself.");
    for (const DeviceSample* d : devices)
        if (d->online)
            out.Sample({{"mac", d->mac}}, static_cast<std::uint64_t>(std::max(d->channel, 0)));

    out.Family("cpe_device_last_seen_timestamp_seconds", MetricType::kGauge,
               "When the device was last heard from, in seconds since the Unix epoch.");
    for (const DeviceSample* d : devices)
        if (d->lastSeen > 0)
            out.Sample({{"mac", d->mac}}, d->lastSeen);
}

void ExporterFamilies(ExpositionWriter& out, const std::vector<const DeviceSample*>& devices, const ExporterSample& e) {
    out.Family("cpe_exporter_searches", MetricType::kCounter, "Discovery broadcasts sent, one to every subnet each.");
    out.Sample({}, e.searches);

    out.Family("cpe_exporter_datagrams_received", MetricType::kCounter, "Datagrams read at each protocol port.");
    for (const PortSample& p : e.ports) {
        const std::string port = std::to_string(p.port);
        out.Sample({{"port", port}}, p.received);
    }
    out.Family("cpe_exporter_datagrams_dropped", MetricType::kCounter,
               "Datagrams dropped at each protocol port: invalid (size, magic or type), or queue_full.");
    for (const PortSample& p : e.ports) {
        const std::string port = std::to_string(p.port);
        out.Sample({{"port", port}, {"reason", "invalid"}}, p.invalid);
        out.Sample({{"port", port}, {"reason", "queue_full"}}, p.queueFull);
    }

    out.Family("cpe_exporter_devices_online", MetricType::kGauge, "Devices answering on the local network.");
    const auto online = std::count_if(devices.begin(), devices.end(), [](const DeviceSample* d) { return d->online; });
    out.Sample({}, static_cast<std::uint64_t>(online));

    out.Family("cpe_exporter_build", MetricType::kInfo, "The exporter's version.");
    out.Sample({{"version", e.version}}, std::uint64_t{1});
}

}  // namespace

std::string RenderFleetMetrics(const std::vector<const DeviceSample*>& devices, const ExporterSample& exporter,
                               ExpositionFormat format) {
    ExpositionWriter out(format);
    out.Reserve(4096 + devices.size() * kBytesPerDevice);
    DeviceFamilies(out, devices);
    ExporterFamilies(out, devices, exporter);
    return out.Finish();
}

}  // namespace cpe::cli
