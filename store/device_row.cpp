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
    std::string Text(std::string_view column) {
        std::string value;
        row_.ReadText(column, value);
        return std::string(TrimBlanks(value));
    }
    template <std::size_t N>
    void Counted(std::string_view column, CountedText<N>& out) {
        out.assign(Ansi(column));
    }
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

// ---- the device columns ------------------------------------------------------------------------

// One column of ap_info and the record field behind it. A column is either numeric (`number`) or
// text (`text`, made before the store's lock is taken); `read` is null for a column that is
// written but not read back.
struct DeviceColumn {
    const char* name;
    const char* type;  // in the store's dialect
    int statement;     // 0: created with the table; 1..5: the widening statement that adds it
    std::uint32_t (*number)(const ap_info_stu&);
    std::string (*text)(const ap_info_stu&, const std::string& codeset);
    void (*read)(RowReader&, const char* column, ap_info_stu&);
};

// The field a path of members leads to: Field<&ap_info_stu::bridge, &bridge_block::bridge_mac>.
template <auto... Path>
struct Field {
    static auto& Of(ap_info_stu& r) { return (r.*....*Path); }
    static const auto& Of(const ap_info_stu& r) { return (r.*....*Path); }
};

std::uint32_t ValueOf(std::uint8_t field) { return field; }
template <typename T>
std::uint32_t ValueOf(const LeInt<T>& field) {
    return static_cast<std::uint32_t>(field.get());
}
void Assign(std::uint8_t& field, int value) { field = static_cast<std::uint8_t>(value); }
template <typename T>
void Assign(LeInt<T>& field, int value) {
    field.set(static_cast<T>(value));
}

enum class ReadBack { kYes, kNo };

// A byte or little-endian integer field in a "long" column.
template <auto... Path>
constexpr DeviceColumn Long(const char* name, int statement, ReadBack back = ReadBack::kYes) {
    return {name,
            "long",
            statement,
            [](const ap_info_stu& r) { return ValueOf(Field<Path...>::Of(r)); },
            nullptr,
            back == ReadBack::kNo
                ? nullptr
                : +[](RowReader& in, const char* c, ap_info_stu& r) { Assign(Field<Path...>::Of(r), in.Int(c)); }};
}

// An address field as its dotted-quad text.
template <auto... Path>
constexpr DeviceColumn IpText(const char* name, int statement) {
    return {name,
            "char(16)",
            statement,
            nullptr,
            [](const ap_info_stu& r, const std::string&) { return FormatIp(Field<Path...>::Of(r)); },
            [](RowReader& in, const char* c, ap_info_stu& r) { Field<Path...>::Of(r) = ParseIp(in.Text(c)); }};
}

// A MAC field as its colon-separated text.
template <auto... Path>
constexpr DeviceColumn MacText(const char* name, int statement, ReadBack back = ReadBack::kYes) {
    return {name,
            "char(18)",
            statement,
            nullptr,
            [](const ap_info_stu& r, const std::string&) { return FormatMac(Field<Path...>::Of(r)); },
            back == ReadBack::kNo
                ? nullptr
                : +[](RowReader& in, const char* c, ap_info_stu& r) { Field<Path...>::Of(r) = ParseMac(in.Text(c)); }};
}

// A counted text field, UTF-8 in the row.
template <auto... Path>
constexpr DeviceColumn Text(const char* name, const char* type, int statement, ReadBack back = ReadBack::kYes) {
    return {
        name,
        type,
        statement,
        nullptr,
        [](const ap_info_stu& r, const std::string& codeset) { return CountedToUtf8(Field<Path...>::Of(r), codeset); },
        back == ReadBack::kNo
            ? nullptr
            : +[](RowReader& in, const char* c, ap_info_stu& r) { in.Counted(c, Field<Path...>::Of(r)); }};
}

template <std::size_t I>
constexpr DeviceColumn WepKeyValue(const char* name) {
    return {name,
            "char(65)",
            3,
            nullptr,
            [](const ap_info_stu& r, const std::string& codeset) {
                return CountedToUtf8(r.security.wep_keys[I].key_value, codeset);
            },
            [](RowReader& in, const char* c, ap_info_stu& r) { in.Counted(c, r.security.wep_keys[I].key_value); }};
}

template <std::size_t I>
constexpr DeviceColumn WepKeyType(const char* name) {
    return {name,
            "long",
            3,
            [](const ap_info_stu& r) -> std::uint32_t { return r.security.wep_keys[I].key_type; },
            nullptr,
            [](RowReader& in, const char* c, ap_info_stu& r) {
                r.security.wep_keys[I].key_type = static_cast<std::uint8_t>(in.Int(c));
            }};
}

std::string RecordMacToUtf8(const ap_info_stu& r, const std::string& codeset) {
    return AnsiToUtf8(std::string_view(r.mac, strnlen(r.mac, sizeof r.mac)), codeset);
}

constexpr const char* kStatusColumn = "ap_status";

using A = ap_info_stu;
using S = security_block;
using B = bridge_block;

// The columns of ap_info after ID, in table order.
const DeviceColumn kDeviceColumns[] = {
    {"mac", "char(18)", 0, nullptr, RecordMacToUtf8,
     [](RowReader& in, const char* c, ap_info_stu& r) {
         const std::string mac = in.Ansi(c);
         std::memcpy(r.mac, mac.data(), std::min(mac.size(), sizeof r.mac - 1));
     }},
    Long<&A::ap_type>("ap_type", 0),
    // Storing a device's record makes it online, whatever status the record carried.
    {kStatusColumn, "long", 0, [](const ap_info_stu&) -> std::uint32_t { return 1; }, nullptr,
     [](RowReader& in, const char* c, ap_info_stu& r) { r.ap_status.set(in.Int(c)); }},
    Long<&A::work_mode>("work_mode", 0),
    Long<&A::mode_btn_status>("mode_btn_status", 0),
    Long<&A::up_time>("up_time", 0),
    Long<&A::ip_mode>("ip_mode", 0),
    {"ip_num", "double", 0, [](const ap_info_stu& r) { return IpNumber(r.ip); }, nullptr, nullptr},
    IpText<&A::ip>("ip", 0),
    IpText<&A::ip_mask>("ip_mask", 0),
    IpText<&A::ip_gateway>("ip_gateway", 0),
    IpText<&A::ip_dns1>("ip_dns1", 0),
    IpText<&A::ip_dns2>("ip_dns2", 0),
    Text<&A::ap_name>("ap_name", "char(33)", 0),
    Text<&A::version>("version", "char(33)", 0),
    Long<&A::restart_en>("restart_en", 1),
    Long<&A::restart_type>("restart_type", 1),
    Long<&A::restart_time>("restart_time", 1),
    Long<&A::rf_count>("rf_count", 2),
    Long<&A::rf_en>("rf_en", 2),
    Long<&A::rf_type>("rf_type", 2),
    Long<&A::country_code>("country_code", 2),
    Long<&A::network_mode>("network_mode", 2),
    Long<&A::bandwidth>("bandwidth", 2),
    Long<&A::channel>("channel", 2),
    Long<&A::expand_channel>("expand_channel", 2),
    Long<&A::tx_power>("tx_power", 2),
    Long<&A::tx_power_min>("tx_power_min", 2),
    Long<&A::tx_power_max>("tx_power_max", 2),
    Long<&A::ssid_count>("ssid_count", 3),
    Long<&A::ssid_rf_type>("ssid_rf_type", 3),
    Long<&A::ssid_id>("ssid_id", 3),
    Long<&A::ssid_hide>("ssid_hide", 3),
    MacText<&A::ssid_mac>("ssid_mac", 3),
    Text<&A::ssid>("ssid", "char(33)", 3),
    Long<&A::security, &S::secure_mode>("secure_mode", 3),
    Long<&A::security, &S::wpapsk_auth_type>("wpapsk_auth_type", 3),
    Text<&A::security, &S::wpapsk_key_value>("wpapsk_key_value", "char(65)", 3),
    Long<&A::security, &S::wpapsk_key_time>("wpapsk_key_time", 3),
    Long<&A::security, &S::wep_auth_type>("wep_auth_type", 3),
    Long<&A::security, &S::wep_key_index>("wep_key_index", 3),
    WepKeyValue<0>("wep_key_value0"),
    WepKeyType<0>("wep_key_type0"),
    WepKeyValue<1>("wep_key_value1"),
    WepKeyType<1>("wep_key_type1"),
    WepKeyValue<2>("wep_key_value2"),
    WepKeyType<2>("wep_key_type2"),
    WepKeyValue<3>("wep_key_value3"),
    WepKeyType<3>("wep_key_type3"),
    Long<&A::security, &S::wpa_auth_type>("wpa_auth_type", 3),
    IpText<&A::security, &S::wpa_radius_ip>("wpa_radius_ip", 3),
    Long<&A::security, &S::wpa_radius_port>("wpa_radius_port", 3),
    Text<&A::security, &S::wpa_key>("wpa_key", "char(65)", 3),
    Long<&A::security, &S::wpa_key_time>("wpa_key_time", 3),
    // The bridge settings are kept for the bridge questions of the store; records read back
    // leave them zero.
    Long<&A::bridge, &B::bridge_work_mode>("bridge_work_mode", 4, ReadBack::kNo),
    MacText<&A::bridge, &B::bridge_mac>("bridge_mac", 4, ReadBack::kNo),
    Long<&A::bridge, &B::bridge_channel>("bridge_channel", 4, ReadBack::kNo),
    Text<&A::bridge, &B::bridge_ssid>("bridge_ssid", "char(33)", 4, ReadBack::kNo),
    Long<&A::vlan_en>("vlan_en", 5),
    Long<&A::vlan_id>("vlan_id", 5),
    Long<&A::vlan_id_wlan>("vlan_id_wlan", 5),
    Long<&A::vlan_id_lan>("vlan_id_lan", 5),
};

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

std::vector<std::string> DeviceTableStatements() {
    std::vector<std::string> statements;
    for (const DeviceColumn& column : kDeviceColumns) {
        const auto index = static_cast<std::size_t>(column.statement);
        if (index == statements.size())
            statements.push_back(index == 0 ? "CREATE TABLE ap_info(ID Counter," : "ALTER TABLE ap_info ADD ");
        else
            statements[index] += ",";
        statements[index] += std::string(column.name) + " " + column.type;
    }
    statements.front() += ")";
    return statements;
}

DeviceRowTexts::DeviceRowTexts(const ap_info_stu& record, const std::string& codeset)
    : mac(RecordMacToUtf8(record, codeset)) {
    columns.reserve(std::size(kDeviceColumns));
    for (const DeviceColumn& column : kDeviceColumns)
        columns.push_back(column.text != nullptr ? column.text(record, codeset) : std::string());
}

std::vector<DeviceField> DeviceRecordFields(const ap_info_stu& record, const std::string& codeset) {
    std::vector<DeviceField> fields;
    fields.reserve(std::size(kDeviceColumns));
    for (const DeviceColumn& column : kDeviceColumns) {
        if (column.read == nullptr)
            continue;
        DeviceField& field = fields.emplace_back();
        field.name = column.name;
        field.isText = column.text != nullptr;
        if (field.isText)
            field.text = column.text(record, codeset);
        else if (std::string_view(column.name) == kStatusColumn)
            field.number = record.ap_status.get();  // the column's writer always stores 1
        else
            field.number = column.number(record);
    }
    return fields;
}

bool WriteDeviceRow(CADORecordset& row, const ap_info_stu& record, const DeviceRowTexts& texts) {
    RowWriter w(row);
    for (std::size_t i = 0; i < std::size(kDeviceColumns); ++i) {
        const DeviceColumn& column = kDeviceColumns[i];
        if (column.text != nullptr)
            w.Text(column.name, texts.columns[i]);
        else
            w.Unsigned(column.name, column.number(record));
    }
    return w.ok();
}

void ReadDeviceRow(CADORecordset& row, ap_info_stu& record, const std::string& codeset) {
    std::memset(&record, 0, sizeof record);
    RowReader in(row, codeset);
    for (const DeviceColumn& column : kDeviceColumns) {
        if (column.read != nullptr)
            column.read(in, column.name, record);
    }
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
