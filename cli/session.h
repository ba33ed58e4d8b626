// What every command runs on: the program's single-instance lock, a device store of its own for
// this run and the protocol engine, started the way the windowed utility starts them. Open
// refuses, with one line, when the utility (or another cpe-cli) holds the lock or another
// program holds a protocol port, when no adapter can reach a device, or when the store cannot be
// made; the store's file is only created once the lock and the ports are ours. Holding the lock,
// the run writes the fleet inventory; an inventory that cannot be used is told, not refused.
#pragma once

#include <filesystem>
#include <memory>

#include "cli/console.h"
#include "cli/signal_wait.h"
#include "engine/net_management.h"
#include "inventory/inventory.h"
#include "platform/system_info.h"
#include "store/sql_management.h"

namespace cpe::cli {

class Session {
public:
    Session(const Console& console, SignalWait& signals) : console_(console), signals_(signals) {}
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Open();

    CNetManagement& Engine() { return *engine_; }
    CSqlManagement& Store() { return *store_; }
    // The fleet inventory this run writes (it holds the lock); the engine reports to it.
    inventory::Inventory& Inventory() { return *inventory_; }
    const Console& Output() const { return console_; }
    SignalWait& Signals() { return signals_; }

    // The store's file for a run of cpe-cli: beside the windowed utility's, under a name of its own;
    // empty when there is no folder for it.
    static std::filesystem::path DatabaseFile();

private:
    // Says what befell the inventory, each notice once.
    void TellInventoryNotices();

    const Console& console_;
    SignalWait& signals_;
    std::unique_ptr<platform::SingleInstance> instance_;
    std::unique_ptr<CSqlManagement> store_;
    std::unique_ptr<CNetManagement> engine_;  // stopped before the store goes
    std::shared_ptr<inventory::Inventory> inventory_;
};

}  // namespace cpe::cli
