#include "sim/state_view.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/json.h"

namespace cpe::sim {
namespace {

std::string Text(std::string_view counted) { return std::string(counted.substr(0, counted.find('\0'))); }

std::string MacText(const RawMac& m) {
    char buf[18];
    std::snprintf(buf, sizeof buf, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4], m[5]);
    return buf;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string Hex64(std::uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

void WriteDevice(JsonWriter& w, const SimDevice& d, Clock::time_point now) {
    const ap_info_stu& r = d.record;
    w.BeginObject();
    w.Field("index", d.index).Field("mac", d.macText).Field("model", d.model);
    w.Field("ip", Ipv4Text(d.ip)).Field("factory_ip", Ipv4Text(d.factoryIp));
    w.Field("ip_mask", Ipv4Text(FromRaw(r.ip_mask))).Field("ip_gateway", Ipv4Text(FromRaw(r.ip_gateway)));
    w.Field("ip_mode", r.ip_mode);
    w.Field("power", std::string(PowerName(d.power))).Field("up_time", d.UpTimeSeconds(now));
    w.Field("manager", d.manager ? Ipv4Text(*d.manager) : std::string());
    w.Field("work_mode", r.work_mode).Field("mode_btn_status", r.mode_btn_status);
    w.Field("ap_name", Text(r.ap_name.view())).Field("version", Text(r.version.view()));
    w.Field("ssid", Text(r.ssid.view())).Field("channel", r.channel).Field("tx_power", r.tx_power);
    w.Field("secure_mode", r.security.secure_mode);
    w.Field("restart_en", r.restart_en).Field("restart_type", r.restart_type);
    w.Field("restart_time", r.restart_time.get());
    w.Field("vlan_en", r.vlan_en).Field("vlan_id", r.vlan_id.get());
    w.Field("vlan_id_wlan", r.vlan_id_wlan.get()).Field("vlan_id_lan", r.vlan_id_lan.get());
    w.Field("bridge_work_mode", r.bridge.bridge_work_mode).Field("bridge_mac", MacText(r.bridge.bridge_mac));
    w.Field("bridge_ssid", Text(r.bridge.bridge_ssid.view()));
    w.Field("never_sends_record", d.neverSendsRecord).Field("reports_wrong_ip", d.reportsWrongIp);
    w.Field("reported_ip", Ipv4Text(d.ReportedIp()));
    w.Field("heartbeats_sent", d.heartbeatsSent).Field("heartbeat_acks", d.heartbeatAcks);
    w.Field("records_sent", d.recordsSent).Field("search_replies", d.searchReplies).Field("restarts", d.restarts);
    w.Key("received").BeginObject();
    for (const auto& [name, count] : d.received)
        w.Field(name, count);
    w.EndObject();
    w.Key("recent").BeginArray();
    for (const auto& name : d.recent)
        w.String(name);
    w.EndArray();
    // Steady-clock times, comparable between the devices of one machine.
    w.Key("last_received_ms").BeginObject();
    for (const auto& [name, ms] : d.lastReceivedMs)
        w.Field(name, ms);
    w.EndObject();
    w.Key("payloads").BeginObject();
    for (const auto& [name, bytes] : d.lastPayload)
        w.Field(name, HexBytes(bytes));
    w.EndObject();
    w.Key("upgrade").BeginObject();
    w.Field("phase", std::string(FirmwareStageName(d.upgrade.phase))).Field("file", d.upgrade.file);
    w.Field("protocol", d.upgrade.protocol).Field("bytes", d.upgrade.bytes).Field("fnv1a", Hex64(d.upgrade.fnv1a));
    w.Field("error", d.upgrade.error).Field("polls", d.upgrade.polls);
    w.EndObject();
    w.EndObject();
}

void WriteStats(JsonWriter& w, const SimStats& s, std::uint64_t rejected) {
    w.BeginObject();
    w.Field("received", s.received).Field("dropped_in", s.droppedIn).Field("refused", s.refused);
    w.Field("rejected", rejected).Field("sent", s.sent).Field("dropped_out", s.droppedOut);
    w.Field("duplicated", s.duplicated).Field("send_errors", s.sendErrors).Field("garbage", s.garbage);
    w.EndObject();
}

}  // namespace

std::string DeviceJson(const SimDevice& device, Clock::time_point now) {
    JsonWriter w;
    WriteDevice(w, device, now);
    return w.Text();
}

std::string StatsJson(const SimStats& stats, std::uint64_t rejected) {
    JsonWriter w;
    WriteStats(w, stats, rejected);
    return w.Text();
}

std::string DumpJson(const DeviceNetwork& network, const SimStats& stats, Clock::time_point now) {
    JsonWriter w;
    w.BeginObject();
    w.Key("stats");
    WriteStats(w, stats, network.rejected);
    w.Key("devices").BeginArray();
    for (const SimDevice& d : network.Devices())
        WriteDevice(w, d, now);
    w.EndArray();
    w.EndObject();
    return w.Text();
}

std::string KernelUdpCountersJson() {
    // /proc/net/snmp holds a header line "Udp: Name ..." and a value line "Udp: 1 2 ...".
    std::ifstream in("/proc/net/snmp");
    std::string line, names, values;
    while (std::getline(in, line)) {
        if (line.rfind("Udp: ", 0) != 0)
            continue;
        if (names.empty())
            names = line.substr(5);
        else {
            values = line.substr(5);
            break;
        }
    }
    JsonWriter w;
    w.BeginObject();
    std::istringstream n(names), v(values);
    std::string name;
    long long value = 0;
    while (n >> name && v >> value)
        w.Field(name, static_cast<std::int64_t>(value));
    w.EndObject();
    return w.Text();
}

}  // namespace cpe::sim
