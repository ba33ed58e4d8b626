// survey: the access points a device hears, asked for and waited for as the bridge wizard does.
#include "actions/bridge/bridge_requests.h"
#include "actions/bridge/bridge_survey.h"
#include "cli/commands.h"
#include "cli/discovery_loop.h"
#include "cli/survey_fields.h"
#include "store/sql_management.h"

namespace cpe::cli {

int RunSurvey(Session& session, const Invocation& run) {
    const FoundDevices devices = FindDevices(session, run.devices, run.seconds, false);
    if (const auto status = NothingToDo(session, devices))
        return *status;
    const FoundDevice& device = devices.found.front();

    actions::SurveyRequester requester(session.Engine());
    requester.Request(device.ip, device.mac);
    actions::SurveyWait wait(device.model, actions::BridgeTimings{});
    ProgressLine progress(session.Output());
    do {
        progress.Show("survey: waiting for " + device.mac);
        if (!session.Signals().Sleep(wait.Period()))
            return Interrupted(session);
    } while (!wait.Tick(session.Engine().SurveyComplete()));
    requester.Stop();
    progress.Done();

    std::vector<config_otherwl_basic> entries;
    session.Store().GetSurveyList(entries);
    RecordTable table = SurveyTable(entries);
    if (!run.fields.empty())
        table.Select(run.fields);
    WriteRecords(table, run.format, session.Output().out);
    session.Output().out.flush();
    if (entries.empty()) {
        session.Output().Error(DeviceLabel(device) + ": the device reported no access point");
        return kExitDeviceFailed;
    }
    return session.Output().out ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
