#include "cli/device_fields.h"

#include <cstring>
#include <string_view>

#include "actions/status/up_time_text.h"
#include "platform/codepage.h"
#include "protocol/codes.h"
#include "store/device_row.h"

namespace cpe::cli {
namespace {

Cell Text(std::string_view text) { return {std::string(text), false}; }
Cell Number(std::int64_t value) { return {std::to_string(value), true}; }
Cell AnsiText(std::string_view ansi) { return Text(platform::AnsiToUtf8Lossy(ansi)); }

// The cells of the status list's columns, in the order of StatusListFields: the texts the list
// shows.
std::vector<Cell> StatusListCells(const ap_info_stu& r, int serial) {
    return {
        Number(serial),
        AnsiText(r.ap_name.text()),
        Text(ModelName(r.ap_type.get())),
        Text(FormatIp(r.ip)),
        AnsiText(std::string_view(r.mac, ::strnlen(r.mac, sizeof r.mac))),
        Text(WorkModeKey(r.work_mode)),
        AnsiText(r.ssid.text()),
        Text(r.channel == 0 ? std::string("Auto") : std::to_string(r.channel)),
        AnsiText(r.version.text()),
        Text(actions::UpTimeText(r.up_time.get())),
        Text(StatusKey(r.ap_status.get())),
    };
}

}  // namespace

const std::vector<std::string>& StatusListFields() {
    static const std::vector<std::string> names = {"Serial", "Location", "Type",    "IP",   "MAC",   "OperationMode",
                                                   "SSID",   "Channel",  "Version", "Time", "Status"};
    return names;
}

bool IsKeyField(std::string_view name) {
    return name == "wpapsk_key_value" || name == "wpa_key" || name.starts_with("wep_key_value");
}

std::vector<std::string> ColumnsWithoutKeys(const RecordTable& table) {
    std::vector<std::string> names;
    for (const std::string& column : table.columns)
        if (!IsKeyField(column))
            names.push_back(column);
    return names;
}

RecordTable DeviceTable(const std::vector<ap_info_stu>& devices, const std::string& codeset) {
    RecordTable table;
    table.columns = StatusListFields();
    const ap_info_stu none{};
    for (const store::DeviceField& field : store::DeviceRecordFields(none, codeset))
        table.columns.emplace_back(field.name);
    table.rows.reserve(devices.size());
    int serial = 0;
    for (const ap_info_stu& record : devices) {
        std::vector<Cell>& cells = table.rows.emplace_back(StatusListCells(record, ++serial));
        for (store::DeviceField& field : store::DeviceRecordFields(record, codeset))
            cells.push_back(field.isText ? Cell{std::move(field.text), false} : Number(field.number));
    }
    return table;
}

}  // namespace cpe::cli
