// The texts a device record shows in the list columns, and the conversions between the record's
// byte texts (ANSI code set) and the text the windows hold.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "actions/status/device_name.h"
#include "protocol/records.h"

namespace cpe {

// What a list column shows.
enum class ListColumn {
    kCheck,     // check-box cell, no text
    kSerial,    // row number on the whole list (and the status icon on the status page)
    kLocation,  // ap_name
    kType,      // model name
    kIp,
    kMac,
    kOperationMode,
    kSsid,
    kChannel,
    kVersion,
    kTime,  // up time
    kSecureMode,
    kPower,     // tx_power
    kStatus,    // status text
    kOperate,   // action icon, no text
    kLastSeen,  // Inventory page: online, or for how long offline
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
