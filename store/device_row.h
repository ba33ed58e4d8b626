// Device records and site-survey entries as rows of ap_info and ap_other_info, both ways.
// Rows hold UTF-8 text; records hold texts in the ANSI code set. Every text read from a row
// is trimmed (fixed-width columns come back blank-padded), and a length byte never counts
// beyond its array. The code set is passed in, named once per operation before the store's
// lock is taken, so that no conversion under that lock takes another lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/records.h"
#include "store/ado_recordset.h"

namespace cpe::store {

// Conversions between the ANSI code set named by codeset and UTF-8; failure gives "".
std::string AnsiToUtf8(std::string_view ansi, const std::string& codeset);
std::string Utf8ToAnsi(std::string_view utf8, const std::string& codeset);
std::string_view TrimBlanks(std::string_view text);

// The address as ip_num holds it: the first octet is the least significant byte, so
// addresses order first by their last octet.
std::uint32_t IpNumber(const RawIp& ip);

// The statements that make ap_info: one creates it, five more widen it, always in this order,
// so its columns stand in the order of the column table in device_row.cpp.
std::vector<std::string> DeviceTableStatements();

// The texts of a device row, converted before the store's lock is taken.
struct DeviceRowTexts {
    DeviceRowTexts(const ap_info_stu& record, const std::string& codeset);
    std::string mac;                   // the row's key
    std::vector<std::string> columns;  // per column of the table; empty for numeric ones
};

// One field of a device record under its column's name, as an export shows it: a number, or a
// UTF-8 text.
struct DeviceField {
    const char* name;
    bool isText = false;
    std::int64_t number = 0;
    std::string text;
};
// The fields a record read from the store carries, in table order: every column but ip_num and
// the bridge columns, which reading leaves zero. ap_status is the record's own status.
std::vector<DeviceField> DeviceRecordFields(const ap_info_stu& record, const std::string& codeset);

// Writes every column but ID into the pending row: ap_status always 1, ip_num from the
// address. False when any write was refused.
bool WriteDeviceRow(CADORecordset& row, const ap_info_stu& record, const DeviceRowTexts& texts);
// Zeroes the record and fills it from the current row; the bridge fields stay zero.
void ReadDeviceRow(CADORecordset& row, ap_info_stu& record, const std::string& codeset);

bool WriteSurveyRow(CADORecordset& row, const survey_packet& packet, const config_otherwl_basic& entry,
                    const std::string& codeset);
// Zeroes the entry and fills it from the current row.
void ReadSurveyRow(CADORecordset& row, config_otherwl_basic& entry, const std::string& codeset);

}  // namespace cpe::store
