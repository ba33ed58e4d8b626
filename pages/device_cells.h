// The texts a device record shows in the list columns, and the conversions between the record's
// byte texts (ANSI code set) and the text the windows hold.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "actions/device_name.h"
#include "protocol/records.h"

namespace cpe {

// What a list column shows.
enum class ListColumn {
    Check,     // check-box cell, no text
    Serial,    // row number on the whole list (and the status icon on the status page)
    Location,  // ap_name
    Type,      // model name
    Ip,
    Mac,
    OperationMode,
    Ssid,
    Channel,
    Version,
    Time,  // up time
    SecureMode,
    Power,    // tx_power
    Status,   // status text
    Operate,  // action icon, no text
};

QString FromAnsi(std::string_view ansi);
// The window text in the ANSI code set; empty when it cannot be expressed there.
std::string ToAnsi(const QString& text);

// "h:m:s" under one day (hours modulo 24), "d h:m:s" from one day on; nothing zero-padded.
QString UpTimeText(std::uint32_t seconds);

// The text of a record's cell in a column that shows record data; empty for Check, Serial and
// Operate.
QString RecordCellText(ListColumn column, const ap_info_stu& record);

}  // namespace cpe
