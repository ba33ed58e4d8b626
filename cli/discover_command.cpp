// discover and show: devices found and printed.
#include <climits>

#include "cli/commands.h"
#include "cli/device_fields.h"
#include "cli/discovery_loop.h"
#include "platform/codepage.h"

namespace cpe::cli {
namespace {

// The fields asked for, or the command's default: the status list's columns on a terminal
// table of all devices, every field but the keys elsewhere.
void ChooseFields(RecordTable& table, const Invocation& run, bool listing) {
    if (!run.fields.empty())
        table.Select(run.fields);
    else if (listing && run.format == OutputFormat::kTable)
        table.Select(StatusListFields());
    else
        table.Select(ColumnsWithoutKeys(table));
}

bool Written(Session& session) {
    session.Output().out.flush();
    if (session.Output().out)
        return true;
    session.Output().Error("cannot write the output");
    return false;
}

}  // namespace

int Interrupted(Session& session) { return kExitSignalBase + session.Signals().Signal(); }

std::optional<int> NothingToDo(Session& session, const FoundDevices& devices) {
    if (devices.interrupted)
        return Interrupted(session);
    if (devices.found.empty())
        return kExitDeviceFailed;
    return std::nullopt;
}

int RunDiscover(Session& session, const Invocation& run) {
    actions::QuietWatch quiet;
    const bool ended = RunDiscovery(session, run.seconds, "discover", [&](const actions::DeviceCounts& counts) {
        return run.untilStable && quiet.Quiet(counts);
    });
    if (!ended)
        return Interrupted(session);
    // Every device, by IP address as the list orders it first, but rising.
    std::vector<ap_info_stu> devices;
    int pages = 0, online = 0;
    session.Store().GetDevicePage(CSqlManagement::kSortIpNum, true, INT_MAX, 1, {}, pages, online, devices);
    RecordTable table = DeviceTable(devices, platform::AnsiCodeset());
    ChooseFields(table, run, true);
    WriteRecords(table, run.format, session.Output().out);
    return Written(session) ? kExitOk : kExitDeviceFailed;
}

int RunShow(Session& session, const Invocation& run) {
    const FoundDevices devices = FindDevices(session, run.devices, run.seconds, false);
    if (const auto status = NothingToDo(session, devices))
        return *status;
    RecordTable table = DeviceTable({devices.found.front().record}, platform::AnsiCodeset());
    ChooseFields(table, run, false);
    WriteRecords(table, run.format, session.Output().out, true);
    return Written(session) ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
