#include "cli/survey_fields.h"

#include "actions/bridge/bridge_survey.h"

namespace cpe::cli {

RecordTable SurveyTable(const std::vector<config_otherwl_basic>& entries) {
    RecordTable table;
    table.columns = {"mac", "ssid", "channel", "signal", "secure", "secure_mode", "exchannel", "bandwidth"};
    const auto number = [](int value) { return Cell{std::to_string(value), true}; };
    for (const config_otherwl_basic& entry : entries) {
        const actions::SurveyRow row = actions::SurveyRowOf(entry);
        table.rows.push_back({Cell{row.mac}, Cell{row.ssid}, number(entry.channel), number(entry.signal),
                              Cell{std::string(row.secure)}, number(entry.secure_mode), number(entry.exchannel),
                              number(entry.bandwidth)});
    }
    return table;
}

}  // namespace cpe::cli
