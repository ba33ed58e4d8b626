// A device as cpe-cli prints it: the status list's columns under their headers ("Location",
// "IP", ...), then every field of the device record under the device table's column names
// ("ap_name", "ip", ...). Texts are English (the language files' keys), so scripts read the same
// words on every machine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/record_table.h"
#include "protocol/records.h"

namespace cpe::cli {

// The status list's columns, the table's default choice.
const std::vector<std::string>& StatusListFields();

// The record's keys (WPA passphrase, RADIUS secret, WEP keys): an inventory leaves the building
// in mails and tickets, so they are printed only when --fields names them.
bool IsKeyField(std::string_view name);
// The table's columns without the keys, in their order.
std::vector<std::string> ColumnsWithoutKeys(const RecordTable& table);

// Devices as rows, numbered from 1 in "Serial" as the list numbers them. `codeset` is the ANSI
// code set the records hold their texts in.
RecordTable DeviceTable(const std::vector<ap_info_stu>& devices, const std::string& codeset);

}  // namespace cpe::cli
