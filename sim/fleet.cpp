#include "sim/fleet.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace cpe::sim {
namespace {

// Texts are UTF-8 as on the wire; each fits 32 bytes with its number.
constexpr std::array<const char*, 6> kNameStems = {
    "CPE-", "屋顶站点-", "Estação-", "Café Nord ", "北塔基站-", "Tür Süd ",
};
constexpr std::array<const char*, 5> kSsidStems = {
    "Backhaul-", "Réseau-", "无线网络-", "Señal-", "Link-",
};
constexpr std::array<std::uint8_t, 5> kOtherModes = {3, 4, 5, 6, 7};

RawMac MacOf(std::uint32_t index) {
    const std::uint32_t n = index + 1;
    return {0x02,
            0xc9,
            0x5e,
            static_cast<std::uint8_t>(n >> 16),
            static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n)};
}

std::string MacText(const RawMac& m) {
    char buf[18];
    std::snprintf(buf, sizeof buf, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4], m[5]);
    return buf;
}

void FillSecurity(security_block& s, std::uint32_t index) {
    s.secure_mode = static_cast<std::uint8_t>(index % 7);
    s.wpapsk_auth_type = 1;
    s.wpapsk_key_value.assign("lab-passphrase-" + std::to_string(index));
    s.wpapsk_key_time.set(3600);
    s.wep_auth_type = 0;
    s.wep_key_index = 1;
    for (auto& k : s.wep_keys) {
        k.key_type = 1;
        k.key_value.assign("0123456789");
    }
    s.wpa_radius_ip = {10, 0, 0, 9};
    s.wpa_radius_port.set(1812);
    s.wpa_auth_type = 1;
    s.wpa_key.assign("radius-secret");
    s.wpa_key_time.set(86400);
}

ap_info_stu FactoryRecord(const SimDevice& d, const DeviceSubnet& subnet) {
    ap_info_stu r{};
    std::snprintf(r.mac, sizeof r.mac, "%s", d.macText.c_str());
    r.ap_type.set(d.model);
    r.work_mode = 1;
    r.mode_btn_status = static_cast<std::uint8_t>(d.index % 2);
    r.ip_mode = 0;
    r.ip = ToRaw(d.ip);
    r.ip_mask = ToRaw(subnet.mask());
    r.ip_gateway = ToRaw(subnet.gateway());
    r.ip_dns1 = ToRaw(subnet.gateway());
    r.ip_dns2 = {0, 0, 0, 0};
    r.ap_name.assign(kNameStems[d.index % kNameStems.size()] + std::to_string(d.index + 1));
    char version[32];
    std::snprintf(version, sizeof version, "V2.%u.%u build 20260%u", d.model % 7, d.index % 10, 1 + d.index % 9);
    r.version.assign(version);
    r.restart_en = 0;
    r.restart_type = 1;
    r.restart_time.set(1440);
    r.rf_count = 1;
    r.rf_en = 1;
    r.rf_type = d.model > 256 ? 2 : 1;
    r.country_code = 1;
    r.network_mode = 9;
    r.bandwidth = static_cast<std::uint8_t>(d.index % 3);
    r.channel = static_cast<std::uint8_t>(d.index % 14);  // 0 is "Auto"
    r.expand_channel = 0;
    r.tx_power = 20;
    r.tx_power_min = 1;
    r.tx_power_max = 27;
    r.ssid_rf_type = r.rf_type;
    r.ssid_id = 0;
    r.ssid_hide = 0;
    r.ssid_mac = d.mac;
    r.ssid.assign(kSsidStems[d.index % kSsidStems.size()] + std::to_string(d.index + 1));
    FillSecurity(r.security, d.index);
    r.ssid_count = 1;
    r.vlan_en = 0;
    r.vlan_id.set(1);
    r.vlan_id_wlan.set(1);
    r.vlan_id_lan.set(1);
    return r;
}

void MakeStationOf(SimDevice& station, const SimDevice& ap) {
    auto& r = station.record;
    r.work_mode = 2;
    r.bridge.bridge_work_mode = 2;
    r.bridge.bridge_mac = ap.mac;
    r.bridge.bridge_channel = ap.record.channel;
    r.bridge.bridge_ssid = ap.record.ssid;
    r.bridge.security = ap.record.security;
}

}  // namespace

bool InModelSetB(std::uint16_t model) { return model == 4 || model == 5 || model == 260 || model == 261; }

std::vector<SimDevice> BuildFleet(const SimOptions& options, Clock::time_point now) {
    std::vector<SimDevice> fleet(options.devices);
    const std::size_t subnets = options.subnets.size();
    const std::uint32_t liars = options.faults.ipMismatch;
    const std::uint32_t mute = options.faults.noRecord;
    for (std::uint32_t i = 0; i < options.devices; ++i) {
        SimDevice& d = fleet[i];
        d.index = i;
        d.mac = MacOf(i);
        d.macText = MacText(d.mac);
        d.model = kModelCodes[i % std::size(kModelCodes)];
        d.subnet = i % subnets;
        d.ip = d.factoryIp = *options.subnets[d.subnet].address(static_cast<std::uint32_t>(i / subnets));
        d.bootTime = now;
        d.neverSendsRecord = i >= options.devices - mute;
        d.reportsWrongIp = !d.neverSendsRecord && i >= options.devices - mute - liars;
        d.record = FactoryRecord(d, options.subnets[d.subnet]);
        switch (i % 5) {
        case 0:
        case 2: break;  // access points
        case 1: MakeStationOf(d, fleet[i - 1]); break;
        default: d.record.work_mode = kOtherModes[(i / 5) % kOtherModes.size()]; break;
        }
        d.factory = d.record;
    }
    return fleet;
}

std::vector<config_otherwl_basic> SurveyFor(const std::vector<SimDevice>& fleet, const SimDevice& self,
                                            std::uint32_t invented, std::uint32_t max, std::mt19937_64& rng) {
    std::vector<config_otherwl_basic> out;
    std::uniform_int_distribution<int> signal(-90, -40);
    for (const SimDevice& d : fleet) {
        if (out.size() >= max)
            break;
        if (d.index == self.index || d.record.work_mode != 1 || d.power != Power::kOn)
            continue;
        config_otherwl_basic e{};
        e.mac = d.mac;
        e.signal = static_cast<std::int8_t>(signal(rng));
        e.channel = d.record.channel;
        e.secure_mode = d.record.security.secure_mode;
        e.ssid = d.record.ssid;
        e.exchannel = d.record.expand_channel;
        e.bandwidth = d.record.bandwidth;
        out.push_back(e);
    }
    constexpr std::array<const char*, 4> kInventedSsids = {"Nachbar-", "隣の網-", "Voisin-é-", "Farm-"};
    for (std::uint32_t k = 0; k < invented && out.size() < max; ++k) {
        config_otherwl_basic e{};
        e.mac = {0x0a,
                 0xee,
                 static_cast<std::uint8_t>(self.index >> 8),
                 static_cast<std::uint8_t>(self.index),
                 0x00,
                 static_cast<std::uint8_t>(k)};
        e.signal = static_cast<std::int8_t>(signal(rng));
        e.channel = static_cast<std::uint8_t>(1 + k % 13);
        e.secure_mode = static_cast<std::uint8_t>(k % 7);
        e.ssid.assign(kInventedSsids[k % kInventedSsids.size()] + std::to_string(k + 1));
        e.exchannel = 0;
        e.bandwidth = static_cast<std::uint8_t>(k % 3);
        out.push_back(e);
    }
    return out;
}

std::vector<survey_packet> SurveyPackets(const std::vector<config_otherwl_basic>& entries) {
    const std::size_t count = std::max<std::size_t>(1, (entries.size() + kMaxSurveyEntries - 1) / kMaxSurveyEntries);
    std::vector<survey_packet> packets(count);
    for (std::size_t p = 0; p < count; ++p) {
        survey_packet& sp = packets[p];
        sp = survey_packet{};
        sp.packet_count = static_cast<std::uint8_t>(count);
        sp.packet_id = static_cast<std::uint8_t>(p);
        const std::size_t begin = p * kMaxSurveyEntries;
        const std::size_t n = std::min(kMaxSurveyEntries, entries.size() - std::min(entries.size(), begin));
        sp.icount = static_cast<std::uint8_t>(n);
        std::copy_n(entries.begin() + static_cast<std::ptrdiff_t>(begin), n, sp.entries);
    }
    return packets;
}

}  // namespace cpe::sim
