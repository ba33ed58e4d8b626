#include "cli/session.h"

#include "cli/port_probe.h"
#include "store/database_file.h"

namespace cpe::cli {

namespace {

constexpr std::chrono::seconds kInventoryWait{5};

}  // namespace

Session::~Session() {
    if (engine_) {
        engine_->SetDeviceObserver(nullptr);
        engine_->Shutdown();
    }
    if (inventory_) {
        inventory_->Flush(kInventoryWait);
        TellInventoryNotices();
    }
}

void Session::TellInventoryNotices() {
    using Kind = inventory::InventoryNotice::Kind;
    for (const inventory::InventoryNotice& notice : inventory_->TakeNotices()) {
        if (notice.kind == Kind::kUnavailable)
            console_.Error("the inventory cannot be written (" + notice.detail + "); going on without it");
        else
            console_.Error(std::string(notice.kind == Kind::kDamagedMovedAside
                                           ? "the inventory was damaged"
                                           : "the inventory is of a newer version") +
                           " and was moved aside as " + notice.detail + "; a new one was started");
    }
}

std::filesystem::path Session::DatabaseFile() {
    const std::filesystem::path windowed = store::DefaultDatabaseFile();
    return windowed.empty() ? windowed : windowed.parent_path() / "cpe-cli.mdb";
}

bool Session::Open() {
    const auto refuse = [this](const std::string& why) {
        console_.Error("cannot start: " + why);
        return false;
    };
    instance_ = std::make_unique<platform::SingleInstance>(platform::kProgramInstanceName);
    if (!instance_->IsFirst())
        return refuse("cpe-manager or another cpe-cli is running and holds the protocol ports");
    const EngineConfig config;
    if (const auto held = HeldPort(config.endpoints))
        return refuse(*held + " is held by another program");

    const std::filesystem::path file = DatabaseFile();
    if (file.empty())
        return refuse("no folder of this user's alone for the device store (see XDG_RUNTIME_DIR)");
    store_ = std::make_unique<CSqlManagement>(file);
    if (store_->OpenFailed())
        return refuse("cannot create the device store " + file.string());
    engine_ = std::make_unique<CNetManagement>(*store_, config);
    if (engine_->BroadcastAddresses().empty())
        return refuse("no network adapter with an IPv4 address is up");
    inventory::InventoryOptions inventoryOptions;
    inventoryOptions.frontEnd = "cli";
    inventory_ = inventory::Inventory::OpenWriter(std::move(inventoryOptions));
    inventory_->WaitOpened(kInventoryWait);
    TellInventoryNotices();
    engine_->SetDeviceObserver(inventory_);
    if (const EngineStartResult started = engine_->Start(); !started)
        return refuse(started.Describe());
    return true;
}

}  // namespace cpe::cli
