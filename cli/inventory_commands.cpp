// inventory, history and backup: the fleet inventory from a terminal. The first two only read the
// inventory file (they run beside cpe-manager too); backup finds the devices first, so that the
// backup holds what each device holds now.
#include <ctime>

#include "cli/commands.h"
#include "cli/discovery_loop.h"
#include "cli/inventory_tables.h"
#include "inventory/backup_file.h"
#include "inventory/inventory.h"

namespace cpe::cli {
namespace {

constexpr std::chrono::seconds kInventoryWait{10};

std::shared_ptr<inventory::Inventory> ReadInventory(const Console& console) {
    auto fleet = inventory::Inventory::OpenReader({});
    if (!fleet->Usable())
        console.Error("no inventory to read at " + fleet->Options().file.string() +
                      " (it is written by cpe-manager and by cpe-cli's commands that search)");
    return fleet;
}

// The MAC of a device named by MAC or by the address it was last seen at.
std::optional<std::string> KnownMac(inventory::Inventory& fleet, const DeviceRef& device) {
    if (!device.mac.empty())
        return fleet.Device(device.mac) ? std::optional<std::string>(device.mac) : std::nullopt;
    for (const inventory::KnownDevice& known : fleet.KnownDevices())
        if (known.lastIp == device.ip)
            return known.mac;
    return std::nullopt;
}

}  // namespace

int RunInventory(const Invocation& run, const Console& console) {
    const auto fleet = ReadInventory(console);
    if (!fleet->Usable())
        return kExitCannotStart;
    std::vector<inventory::KnownDevice> devices;
    for (inventory::KnownDevice& device : fleet->KnownDevices())
        if (run.online.empty() || device.online == (run.online == "online"))
            devices.push_back(std::move(device));
    RecordTable table = KnownDeviceTable(devices);
    if (!run.fields.empty())
        table.Select(run.fields);
    WriteRecords(table, run.format, console.out);
    return kExitOk;
}

int RunHistory(const Invocation& run, const Console& console) {
    const auto fleet = ReadInventory(console);
    if (!fleet->Usable())
        return kExitCannotStart;
    const auto mac = KnownMac(*fleet, run.devices.front());
    if (!mac) {
        console.Error(run.devices.front().text + ": not in the inventory");
        return kExitDeviceFailed;
    }
    WriteRecords(HistoryTable(fleet->History(*mac)), run.format, console.out);
    return kExitOk;
}

int RunBackup(Session& session, const Invocation& run) {
    const FoundDevices devices = FindDevices(session, run.devices, run.seconds, false);
    if (const auto status = NothingToDo(session, devices))
        return *status;
    inventory::Inventory& fleet = session.Inventory();
    fleet.Flush(kInventoryWait);
    std::vector<inventory::SettingsBackup> taken;
    int failed = static_cast<int>(devices.missing.size());
    for (const FoundDevice& device : devices.found) {
        const std::int64_t id = fleet.TakeBackupNow(device.mac, inventory::backup_reason::kOnRequest, kInventoryWait);
        const auto backup = id > 0 ? fleet.Backup(id) : std::nullopt;
        if (!backup) {
            session.Output().Error(DeviceLabel(device) + ": no backup could be written to the inventory");
            ++failed;
            continue;
        }
        if (!run.out.empty()) {
            std::string error;
            if (!inventory::WriteBackupFile(run.out, *backup, error)) {
                session.Output().Error(error);
                ++failed;
                continue;
            }
        }
        taken.push_back(*backup);
    }
    WriteRecords(BackupTable(taken), run.format, session.Output().out);
    return failed == 0 ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
