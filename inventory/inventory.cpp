#include "inventory/inventory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <future>

#include "inventory/inventory_file.h"
#include "platform/account.h"
#include "platform/codepage.h"

namespace cpe::inventory {
namespace {

template <std::size_t N>
std::array<char, N> Chars(std::string_view text) {
    std::array<char, N> out{};
    std::memcpy(out.data(), text.data(), std::min(text.size(), N - 1));
    return out;
}

}  // namespace

std::filesystem::path InventoryOptions::DefaultFile() { return DefaultInventoryFile(); }

Inventory::Inventory(InventoryOptions options) : options_(std::move(options)) {
    if (options_.user.empty())
        options_.user = platform::CurrentUserName();
    if (options_.codeset.empty())
        options_.codeset = platform::AnsiCodeset();
    if (!options_.clock)
        options_.clock = [] {
            return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
}

Inventory::~Inventory() = default;

std::shared_ptr<Inventory> Inventory::OpenWriter(InventoryOptions options) {
    std::shared_ptr<Inventory> inventory(new Inventory(std::move(options)));
    const InventoryOptions& o = inventory->options_;
    inventory->writer_ = std::make_unique<InventoryWriter>(o.file, o.codeset, o.newsCapacity, o.clock);
    return inventory;
}

std::shared_ptr<Inventory> Inventory::OpenReader(InventoryOptions options) {
    std::shared_ptr<Inventory> inventory(new Inventory(std::move(options)));
    inventory->Reader();
    return inventory;
}

std::int64_t Inventory::Now() const { return options_.clock(); }

bool Inventory::Accepting() const { return writer_ && writer_->State() != InventoryState::kUnavailable; }

void Inventory::OnDeviceRecord(const ap_info_stu& record) {
    if (Accepting())
        writer_->Queue().PushNews(RecordNews{record, Now()});
}

void Inventory::OnDeviceHeartbeat(std::string_view mac, std::string_view ip) {
    if (Accepting())
        writer_->Queue().PushNews(HeartbeatNews{Chars<18>(mac), Chars<16>(ip), Now()});
}

void Inventory::OnDeviceGone(std::string_view mac) {
    if (Accepting())
        writer_->Queue().PushNews(GoneNews{Chars<18>(mac), Now()});
}

void Inventory::RecordAction(std::string_view mac, std::string_view kind, std::string_view outcome,
                             EventDetail detail) {
    if (!Accepting())
        return;
    detail.Add("outcome", outcome).Add("front_end", options_.frontEnd).Add("user", options_.user);
    writer_->Queue().PushAlways(ActionEntry{std::string(mac), std::string(kind), detail.Json(), Now()});
}

void Inventory::TakeBackup(std::string_view mac, std::string_view reason) {
    if (Accepting())
        writer_->Queue().PushAlways(BackupRequest{std::string(mac), std::string(reason), Now(), nullptr});
}

std::int64_t Inventory::TakeBackupNow(std::string_view mac, std::string_view reason,
                                      std::chrono::milliseconds timeout) {
    if (!Accepting())
        return 0;
    auto taken = std::make_shared<std::promise<std::int64_t>>();
    std::future<std::int64_t> id = taken->get_future();
    writer_->Queue().PushAlways(BackupRequest{std::string(mac), std::string(reason), Now(), std::move(taken)});
    return id.wait_for(timeout) == std::future_status::ready ? id.get() : 0;
}

bool Inventory::Flush(std::chrono::milliseconds timeout) { return !writer_ || writer_->Flush(timeout); }

bool Inventory::Usable() const {
    if (writer_)
        return writer_->State() == InventoryState::kReady;
    return readerState_ == InventoryReader::OpenResult::kOpened;
}

bool Inventory::WaitOpened(std::chrono::milliseconds timeout) {
    return writer_ ? writer_->WaitOpened(timeout) : Usable();
}

std::vector<InventoryNotice> Inventory::TakeNotices() {
    return writer_ ? writer_->TakeNotices() : std::vector<InventoryNotice>{};
}

std::uint64_t Inventory::DroppedNews() const { return writer_ ? writer_->Queue().Dropped() : 0; }

InventoryReader* Inventory::Reader() {
    std::lock_guard lock(readerMutex_);
    if (!readerTried_) {
        // A writer's reader opens once the writer made the file ready.
        if (writer_ && writer_->State() != InventoryState::kReady)
            return nullptr;
        readerTried_ = true;
        readerState_ = reader_.Open(options_.file);
    }
    return readerState_ == InventoryReader::OpenResult::kOpened ? &reader_ : nullptr;
}

std::vector<KnownDevice> Inventory::KnownDevices() {
    InventoryReader* reader = Reader();
    return reader ? reader->KnownDevices() : std::vector<KnownDevice>{};
}

std::optional<KnownDevice> Inventory::Device(std::string_view mac) {
    InventoryReader* reader = Reader();
    return reader ? reader->Device(mac) : std::nullopt;
}

KnownDevicePage Inventory::DevicePage(const KnownDeviceQuery& query) {
    InventoryReader* reader = Reader();
    return reader ? reader->DevicePage(query) : KnownDevicePage{};
}

std::optional<ap_info_stu> Inventory::LastRecord(std::string_view mac) {
    InventoryReader* reader = Reader();
    return reader ? reader->LastRecord(mac) : std::nullopt;
}

std::vector<HistoryEvent> Inventory::History(std::string_view mac, int limit) {
    InventoryReader* reader = Reader();
    return reader ? reader->History(mac, limit) : std::vector<HistoryEvent>{};
}

std::vector<SettingsBackup> Inventory::Backups(std::string_view mac) {
    InventoryReader* reader = Reader();
    return reader ? reader->Backups(mac) : std::vector<SettingsBackup>{};
}

std::optional<SettingsBackup> Inventory::Backup(std::int64_t id) {
    InventoryReader* reader = Reader();
    return reader ? reader->Backup(id) : std::nullopt;
}

}  // namespace cpe::inventory
