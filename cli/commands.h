// The commands, each run on an open session once its command line was found sound. Each returns
// the program's exit status.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "actions/settings/settings_restore.h"
#include "cli/command_line.h"
#include "cli/discovery_loop.h"
#include "cli/session.h"
#include "cli/upgrade_request.h"
#include "inventory/settings_backup.h"

namespace cpe::cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitDeviceFailed = 1,
    kExitUsage = 2,
    kExitCannotStart = 3,
    kExitSignalBase = 128,  // plus the signal's number
};

int RunDiscover(Session& session, const Invocation& run);
int RunShow(Session& session, const Invocation& run);
// `name` is the new name as the rename rule took it, in the local code set.
int RunRename(Session& session, const Invocation& run, const std::string& name);
int RunRebootRestore(Session& session, const Invocation& run);
int RunSurvey(Session& session, const Invocation& run);
int RunUpgrade(Session& session, const Invocation& run, const UpgradeRequest& request);
// Asked before a session opens: why this account cannot start the upgrade's helper, in one line.
std::optional<std::string> UpgradeRefusal(const UpgradeRequest& request);
int RunExporter(Session& session, const Invocation& run);
// Exit 0 when nothing is wrong: adapters to search on, the four ports held, and devices answered.
int RunDoctor(Session& session, const Invocation& run);
int RunBackup(Session& session, const Invocation& run);
// settings restore and settings apply, with the backup and blocks checked beforehand.
int RunSettings(Session& session, const Invocation& run, const inventory::SettingsBackup& backup,
                actions::SettingsBlocks blocks);

// The commands that only read the inventory: no session, no lock, no network.
int RunInventory(const Invocation& run, const Console& console);
int RunHistory(const Invocation& run, const Console& console);

// The backup named by --from: its number in the inventory, or a backup file; else why not.
std::variant<inventory::SettingsBackup, std::string> LoadBackup(const std::string& from);

// The exit status of a run a signal ended.
int Interrupted(Session& session);
// The exit status when the named devices leave nothing to do (a signal ended the search, or none
// of them answered); nothing while at least one was found.
std::optional<int> NothingToDo(Session& session, const FoundDevices& devices);

}  // namespace cpe::cli
