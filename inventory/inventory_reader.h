// Reads of the inventory on a connection of their own, beside the writer (WAL lets them run while
// it writes): the known devices, a page of them for the Inventory page, a device's history and its
// backups. One lock serialises the reads of one reader; any thread may read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inventory/known_device.h"
#include "inventory/settings_backup.h"
#include "store/sqlite_connection.h"

namespace cpe::inventory {

enum class OnlineFilter : std::uint8_t { kAll, kOnline, kOffline };
// The page's sort columns.
enum class KnownDeviceSort : std::uint8_t { kMac, kLastSeen, kIp, kName, kModel, kFirmware, kOnline };

struct KnownDeviceQuery {
    OnlineFilter filter = OnlineFilter::kAll;
    std::string search;  // UTF-8, taken literally, without ASCII case; in MAC, address, name, firmware
    KnownDeviceSort sort = KnownDeviceSort::kLastSeen;
    bool ascending = false;
    int pageSize = 10;
    int pageNumber = 1;  // from 1
};

struct KnownDevicePage {
    std::vector<KnownDevice> devices;
    int matching = 0;  // devices that pass the filter and the search
    int pageCount = 0;
};

struct HistoryEvent {
    std::int64_t id = 0;
    std::int64_t time = 0;
    std::string kind;
    std::string detail;  // JSON object
};

class InventoryReader {
public:
    enum class OpenResult : std::uint8_t { kOpened, kMissing, kNewer, kFailed };
    OpenResult Open(const std::filesystem::path& file);
    bool IsOpen() const;

    std::vector<KnownDevice> KnownDevices();
    std::optional<KnownDevice> Device(std::string_view mac);
    KnownDevicePage DevicePage(const KnownDeviceQuery& query);
    // The device's last whole record.
    std::optional<ap_info_stu> LastRecord(std::string_view mac);
    // Newest first; at most `limit`.
    std::vector<HistoryEvent> History(std::string_view mac, int limit);
    // Newest first, without the records.
    std::vector<SettingsBackup> Backups(std::string_view mac);
    std::optional<SettingsBackup> Backup(std::int64_t id);

private:
    std::mutex mutex_;
    store::SqliteConnection db_;
};

}  // namespace cpe::inventory
