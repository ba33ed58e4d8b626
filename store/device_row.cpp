#include "store/device_row.h"

#include <algorithm>
#include <cstring>

#include "platform/codepage.h"
#include "protocol/codes.h"

namespace cpe::store {
namespace {

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Reads columns of the current row, trimmed and converted to the record's forms.
class RowReader {
public:
    RowReader(CADORecordset& row, const std::string& codeset) : row_(row), codeset_(codeset) {}

    int Int(std::string_view column) {
        int value = 0;
        row_.ReadInt(column, value);
        return value;
    }
    std::uint8_t Byte(std::string_view column) { return static_cast<std::uint8_t>(Int(column)); }
    std::uint16_t Word(std::string_view column) { return static_cast<std::uint16_t>(Int(column)); }
    std::uint32_t Dword(std::string_view column) { return static_cast<std::uint32_t>(Int(column)); }
    std::string Text(std::string_view column) {
        std::string value;
        row_.ReadText(column, value);
        return std::string(TrimBlanks(value));
    }
    template <std::size_t N>
    void Counted(std::string_view column, CountedText<N>& out) { out.assign(Ansi(column)); }
    std::string Ansi(std::string_view column) { return Utf8ToAnsi(Text(column), codeset_); }

private:
    CADORecordset& row_;
    const std::string& codeset_;
};

// Writes columns of the pending row and remembers whether any write was refused.
class RowWriter {
public:
    explicit RowWriter(CADORecordset& row) : row_(row) {}
    void Unsigned(std::string_view column, std::uint32_t value) { ok_ &= row_.WriteUnsigned(column, value); }
    void Int(std::string_view column, std::int32_t value) { ok_ &= row_.WriteInt(column, value); }
    void Text(std::string_view column, std::string_view value) { ok_ &= row_.WriteText(column, value); }
    bool ok() const { return ok_; }

private:
    CADORecordset& row_;
    bool ok_ = true;
};

template <std::size_t N>
std::string CountedToUtf8(const CountedText<N>& text, const std::string& codeset) {
    return AnsiToUtf8(text.text(), codeset);
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi, const std::string& codeset) {
    std::string out;
    if (IsAscii(ansi))
        out = ansi;  // the same bytes in every code set the program meets
    else
        platform::ConvertCodeset(codeset, "UTF-8", ansi, out);
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8, const std::string& codeset) {
    std::string out;
    if (IsAscii(utf8))
        out = utf8;
    else
        platform::ConvertCodeset("UTF-8", codeset, utf8, out);
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::uint32_t IpNumber(const RawIp& ip) {
    return static_cast<std::uint32_t>(ip[0]) | static_cast<std::uint32_t>(ip[1]) << 8 |
           static_cast<std::uint32_t>(ip[2]) << 16 | static_cast<std::uint32_t>(ip[3]) << 24;
}

DeviceRowTexts::DeviceRowTexts(const ap_info_stu& r, const std::string& codeset)
    : mac(AnsiToUtf8(std::string_view(r.mac, strnlen(r.mac, sizeof r.mac)), codeset)),
      ip(FormatIp(r.ip)), ip_mask(FormatIp(r.ip_mask)), ip_gateway(FormatIp(r.ip_gateway)),
      ip_dns1(FormatIp(r.ip_dns1)), ip_dns2(FormatIp(r.ip_dns2)),
      wpa_radius_ip(FormatIp(r.security.wpa_radius_ip)),
      ssid_mac(FormatMac(r.ssid_mac)), bridge_mac(FormatMac(r.bridge.bridge_mac)),
      ap_name(CountedToUtf8(r.ap_name, codeset)), version(CountedToUtf8(r.version, codeset)),
      ssid(CountedToUtf8(r.ssid, codeset)),
      bridge_ssid(CountedToUtf8(r.bridge.bridge_ssid, codeset)),
      wpapsk_key_value(CountedToUtf8(r.security.wpapsk_key_value, codeset)),
      wpa_key(CountedToUtf8(r.security.wpa_key, codeset)),
      ip_num(IpNumber(ParseIp(ip))) {
    for (int i = 0; i < 4; ++i)
        wep_key_value[i] = CountedToUtf8(r.security.wep_keys[i].key_value, codeset);
}

bool WriteDeviceRow(CADORecordset& row, const ap_info_stu& r, const DeviceRowTexts& t) {
    static constexpr const char* kWepValue[4] = {"wep_key_value0", "wep_key_value1", "wep_key_value2", "wep_key_value3"};
    static constexpr const char* kWepType[4] = {"wep_key_type0", "wep_key_type1", "wep_key_type2", "wep_key_type3"};
    const security_block& s = r.security;
    RowWriter w(row);
    w.Text("mac", t.mac);
    w.Unsigned("ap_type", r.ap_type.get());
    w.Int("ap_status", 1);
    w.Unsigned("work_mode", r.work_mode);
    w.Unsigned("mode_btn_status", r.mode_btn_status);
    w.Unsigned("up_time", r.up_time.get());
    w.Unsigned("ip_mode", r.ip_mode);
    w.Unsigned("ip_num", t.ip_num);
    w.Text("ip", t.ip);
    w.Text("ip_mask", t.ip_mask);
    w.Text("ip_gateway", t.ip_gateway);
    w.Text("ip_dns1", t.ip_dns1);
    w.Text("ip_dns2", t.ip_dns2);
    w.Text("ap_name", t.ap_name);
    w.Text("version", t.version);
    w.Unsigned("restart_en", r.restart_en);
    w.Unsigned("restart_type", r.restart_type);
    w.Unsigned("restart_time", r.restart_time.get());
    w.Unsigned("rf_count", r.rf_count);
    w.Unsigned("rf_en", r.rf_en);
    w.Unsigned("rf_type", r.rf_type);
    w.Unsigned("country_code", r.country_code);
    w.Unsigned("network_mode", r.network_mode);
    w.Unsigned("bandwidth", r.bandwidth);
    w.Unsigned("channel", r.channel);
    w.Unsigned("expand_channel", r.expand_channel);
    w.Unsigned("tx_power", r.tx_power);
    w.Unsigned("tx_power_min", r.tx_power_min);
    w.Unsigned("tx_power_max", r.tx_power_max);
    w.Unsigned("ssid_count", r.ssid_count);
    w.Unsigned("ssid_rf_type", r.ssid_rf_type);
    w.Unsigned("ssid_id", r.ssid_id);
    w.Unsigned("ssid_hide", r.ssid_hide);
    w.Text("ssid_mac", t.ssid_mac);
    w.Text("ssid", t.ssid);
    w.Unsigned("secure_mode", s.secure_mode);
    w.Unsigned("wpapsk_auth_type", s.wpapsk_auth_type);
    w.Text("wpapsk_key_value", t.wpapsk_key_value);
    w.Unsigned("wpapsk_key_time", s.wpapsk_key_time.get());
    w.Unsigned("wep_auth_type", s.wep_auth_type);
    w.Unsigned("wep_key_index", s.wep_key_index);
    for (int i = 0; i < 4; ++i) {
        w.Text(kWepValue[i], t.wep_key_value[i]);
        w.Unsigned(kWepType[i], s.wep_keys[i].key_type);
    }
    w.Unsigned("wpa_auth_type", s.wpa_auth_type);
    w.Text("wpa_radius_ip", t.wpa_radius_ip);
    w.Unsigned("wpa_radius_port", s.wpa_radius_port.get());
    w.Text("wpa_key", t.wpa_key);
    w.Unsigned("wpa_key_time", s.wpa_key_time.get());
    w.Unsigned("bridge_work_mode", r.bridge.bridge_work_mode);
    w.Text("bridge_mac", t.bridge_mac);
    w.Unsigned("bridge_channel", r.bridge.bridge_channel);
    w.Text("bridge_ssid", t.bridge_ssid);
    w.Unsigned("vlan_en", r.vlan_en);
    w.Unsigned("vlan_id", r.vlan_id.get());
    w.Unsigned("vlan_id_wlan", r.vlan_id_wlan.get());
    w.Unsigned("vlan_id_lan", r.vlan_id_lan.get());
    return w.ok();
}

void ReadDeviceRow(CADORecordset& row, ap_info_stu& r, const std::string& codeset) {
    static constexpr const char* kWepValue[4] = {"wep_key_value0", "wep_key_value1", "wep_key_value2", "wep_key_value3"};
    static constexpr const char* kWepType[4] = {"wep_key_type0", "wep_key_type1", "wep_key_type2", "wep_key_type3"};
    std::memset(&r, 0, sizeof r);
    security_block& s = r.security;
    RowReader in(row, codeset);
    const std::string mac = in.Ansi("mac");
    std::memcpy(r.mac, mac.data(), std::min(mac.size(), sizeof r.mac - 1));
    r.ap_type.set(in.Word("ap_type"));
    r.ap_status.set(in.Int("ap_status"));
    r.work_mode = in.Byte("work_mode");
    r.mode_btn_status = in.Byte("mode_btn_status");
    r.up_time.set(in.Dword("up_time"));
    r.ip_mode = in.Byte("ip_mode");
    r.ip = ParseIp(in.Text("ip"));
    r.ip_mask = ParseIp(in.Text("ip_mask"));
    r.ip_gateway = ParseIp(in.Text("ip_gateway"));
    r.ip_dns1 = ParseIp(in.Text("ip_dns1"));
    r.ip_dns2 = ParseIp(in.Text("ip_dns2"));
    in.Counted("ap_name", r.ap_name);
    in.Counted("version", r.version);
    r.restart_en = in.Byte("restart_en");
    r.restart_type = in.Byte("restart_type");
    r.restart_time.set(in.Word("restart_time"));
    r.rf_count = in.Byte("rf_count");
    r.rf_en = in.Byte("rf_en");
    r.rf_type = in.Byte("rf_type");
    r.country_code = in.Byte("country_code");
    r.network_mode = in.Byte("network_mode");
    r.bandwidth = in.Byte("bandwidth");
    r.channel = in.Byte("channel");
    r.expand_channel = in.Byte("expand_channel");
    r.tx_power = in.Byte("tx_power");
    r.tx_power_min = in.Byte("tx_power_min");
    r.tx_power_max = in.Byte("tx_power_max");
    r.ssid_count = in.Byte("ssid_count");
    r.ssid_rf_type = in.Byte("ssid_rf_type");
    r.ssid_id = in.Byte("ssid_id");
    r.ssid_hide = in.Byte("ssid_hide");
    r.ssid_mac = ParseMac(in.Text("ssid_mac"));
    in.Counted("ssid", r.ssid);
    s.secure_mode = in.Byte("secure_mode");
    s.wpapsk_auth_type = in.Byte("wpapsk_auth_type");
    in.Counted("wpapsk_key_value", s.wpapsk_key_value);
    s.wpapsk_key_time.set(in.Dword("wpapsk_key_time"));
    s.wep_auth_type = in.Byte("wep_auth_type");
    s.wep_key_index = in.Byte("wep_key_index");
    for (int i = 0; i < 4; ++i) {
        in.Counted(kWepValue[i], s.wep_keys[i].key_value);
        s.wep_keys[i].key_type = in.Byte(kWepType[i]);
    }
    s.wpa_auth_type = in.Byte("wpa_auth_type");
    s.wpa_radius_ip = ParseIp(in.Text("wpa_radius_ip"));
    s.wpa_radius_port.set(in.Word("wpa_radius_port"));
    in.Counted("wpa_key", s.wpa_key);
    s.wpa_key_time.set(in.Dword("wpa_key_time"));
    r.vlan_en = in.Byte("vlan_en");
    r.vlan_id.set(in.Word("vlan_id"));
    r.vlan_id_wlan.set(in.Word("vlan_id_wlan"));
    r.vlan_id_lan.set(in.Word("vlan_id_lan"));
}

bool WriteSurveyRow(CADORecordset& row, const survey_packet& packet, const config_otherwl_basic& e,
                    const std::string& codeset) {
    RowWriter w(row);
    w.Unsigned("packet_count", packet.packet_count);
    w.Unsigned("packet_id", packet.packet_id);
    w.Unsigned("icount", packet.icount);
    w.Text("mac", FormatMac(e.mac));
    w.Text("ssid", CountedToUtf8(e.ssid, codeset));
    w.Int("signal", e.signal);
    w.Unsigned("channel", e.channel);
    w.Unsigned("secure_mode", e.secure_mode);
    w.Unsigned("exchannel", e.exchannel);
    w.Unsigned("bandwidth", e.bandwidth);
    return w.ok();
}

void ReadSurveyRow(CADORecordset& row, config_otherwl_basic& e, const std::string& codeset) {
    std::memset(&e, 0, sizeof e);
    RowReader in(row, codeset);
    e.mac = ParseMac(in.Text("mac"));
    in.Counted("ssid", e.ssid);
    e.signal = static_cast<std::int8_t>(in.Int("signal"));
    e.channel = in.Byte("channel");
    e.secure_mode = in.Byte("secure_mode");
    e.exchannel = in.Byte("exchannel");
    e.bandwidth = in.Byte("bandwidth");
}

}  // namespace cpe::store
