#include "cli/cli_main.h"

#include <variant>

#include "actions/status/device_name.h"
#include "cli/commands.h"
#include "cli/device_fields.h"
#include "cli/help_texts.h"
#include "cli/inventory_tables.h"
#include "cli/survey_fields.h"
#include "platform/codepage.h"

namespace cpe::cli {
namespace {

// What a command needs checked before a session opens, beyond what parsing sees.
struct Checked {
    std::string name;  // rename: the name as it will be sent
    UpgradeRequest upgrade;
    inventory::SettingsBackup backup;  // settings: the backup to send
    actions::SettingsBlocks blocks;    // settings: the blocks to send
};

std::optional<std::string> CheckFields(const Invocation& run) {
    if (run.fields.empty())
        return std::nullopt;
    RecordTable table = run.command == Command::kSurvey      ? SurveyTable({})
                        : run.command == Command::kInventory ? KnownDeviceTable({})
                                                             : DeviceTable({}, platform::AnsiCodeset());
    if (auto unknown = table.Select(run.fields))
        return "unknown field \"" + *unknown + "\"; see \"cpe-cli " + CommandName(run.command) + " --help\"";
    return std::nullopt;
}

std::variant<Checked, std::string> Check(const Invocation& run) {
    Checked checked;
    if (auto bad = CheckFields(run))
        return *bad;
    if (run.command == Command::kRename) {
        const std::u16string wide = platform::AnsiToWide(run.name);
        if (wide.empty() && !run.name.empty())
            return "the name is not text of this terminal's character set";
        actions::DeviceNameChange change = actions::PrepareDeviceName(wide);
        if (change.refused)
            return actions::kNoChineseNameKey;
        if (!change.ansi)
            return "the name cannot be written in the local character set";
        checked.name = std::move(*change.ansi);
    }
    if (run.command == Command::kSettingsRestore || run.command == Command::kSettingsApply) {
        auto backup = LoadBackup(run.from);
        if (auto* bad = std::get_if<std::string>(&backup))
            return *bad;
        checked.backup = std::get<inventory::SettingsBackup>(std::move(backup));
        checked.blocks = run.command == Command::kSettingsApply ? actions::kApplyBlocks : actions::kRestoreBlocks;
        if (!run.blocks.empty()) {
            const auto blocks = actions::ParseSettingsBlocks(run.blocks);
            if (!blocks)
                return "--blocks takes a comma-separated list of name, wireless, ip, vlan, timed_reboot, not \"" +
                       run.blocks + "\"";
            checked.blocks = *blocks;
        }
    }
    if (run.command == Command::kUpgrade) {
        auto request = CheckUpgradeRequest(run);
        if (auto* bad = std::get_if<std::string>(&request))
            return *bad;
        checked.upgrade = std::get<UpgradeRequest>(std::move(request));
    }
    return checked;
}

int Dispatch(Session& session, const Invocation& run, const Checked& checked) {
    switch (run.command) {
    case Command::kDiscover: return RunDiscover(session, run);
    case Command::kShow: return RunShow(session, run);
    case Command::kRename: return RunRename(session, run, checked.name);
    case Command::kReboot:
    case Command::kRestore: return RunRebootRestore(session, run);
    case Command::kSurvey: return RunSurvey(session, run);
    case Command::kUpgrade: return RunUpgrade(session, run, checked.upgrade);
    case Command::kExporter: return RunExporter(session, run);
    case Command::kDoctor: return RunDoctor(session, run);
    case Command::kBackup: return RunBackup(session, run);
    case Command::kSettingsRestore:
    case Command::kSettingsApply: return RunSettings(session, run, checked.backup, checked.blocks);
    case Command::kInventory:
    case Command::kHistory: break;  // answered before a session opens
    }
    return kExitUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const Console& console) {
    const ParseResult parsed = ParseCommandLine(args);
    if (const auto* help = std::get_if<HelpRequest>(&parsed)) {
        console.out << help->text;
        console.out.flush();
        return console.out ? kExitOk : kExitDeviceFailed;
    }
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        console.err << UsageHint(*error);
        return kExitUsage;
    }
    const Invocation& run = std::get<Invocation>(parsed);
    const auto checked = Check(run);
    if (const auto* bad = std::get_if<std::string>(&checked)) {
        console.err << UsageHint({*bad, run.command});
        return kExitUsage;
    }
    if (run.command == Command::kInventory)
        return RunInventory(run, console);
    if (run.command == Command::kHistory)
        return RunHistory(run, console);
    if (run.command == Command::kUpgrade) {
        if (const auto refusal = UpgradeRefusal(std::get<Checked>(checked).upgrade)) {
            console.Error("cannot start: " + *refusal);
            return kExitCannotStart;
        }
    }
    // Before any thread starts: every thread of the run inherits the signals' block.
    SignalWait signals;
    Session session(console, signals);
    if (!session.Open())
        return kExitCannotStart;
    return Dispatch(session, run, std::get<Checked>(checked));
}

}  // namespace cpe::cli
