// The access points of a site survey as cpe-cli prints them: the survey table's columns, and the
// security text the bridge wizard's survey list shows.
#pragma once

#include <vector>

#include "cli/record_table.h"
#include "protocol/records.h"

namespace cpe::cli {

RecordTable SurveyTable(const std::vector<config_otherwl_basic>& entries);

}  // namespace cpe::cli
