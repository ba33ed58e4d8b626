#include "inventory/inventory_reader.h"

#include <algorithm>
#include <cstring>

#include "inventory/schema.h"

namespace cpe::inventory {
namespace {

using store::SqlParam;

constexpr const char* kDeviceColumns =
    "SELECT mac, first_seen, last_seen, last_ip, name, model, firmware, work_mode, online FROM devices";

std::string Text(sqlite3_stmt* stmt, int column) {
    const auto* text = sqlite3_column_text(stmt, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

KnownDevice DeviceOf(sqlite3_stmt* stmt) {
    KnownDevice d;
    d.mac = Text(stmt, 0);
    d.firstSeen = sqlite3_column_int64(stmt, 1);
    d.lastSeen = sqlite3_column_int64(stmt, 2);
    d.lastIp = Text(stmt, 3);
    d.name = Text(stmt, 4);
    d.model = sqlite3_column_int(stmt, 5);
    d.firmware = Text(stmt, 6);
    d.workMode = sqlite3_column_int(stmt, 7);
    d.online = sqlite3_column_int(stmt, 8) != 0;
    return d;
}

bool RecordOf(sqlite3_stmt* stmt, int column, ap_info_stu& out) {
    if (sqlite3_column_bytes(stmt, column) != static_cast<int>(sizeof out))
        return false;
    std::memcpy(&out, sqlite3_column_blob(stmt, column), sizeof out);
    return true;
}

// Runs a query and hands each row to `row`; false when it failed.
template <typename Row>
bool Query(store::SqliteConnection& db, std::string_view sql, store::SqlParams params, Row row) {
    store::SqlError error;
    store::StatementLease stmt = db.Prepare(sql, error);
    if (!stmt || !db.Bind(stmt.get(), params, error))
        return false;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        row(stmt.get());
    return rc == SQLITE_DONE;
}

// A backup's number, time, MAC, model and reason: the first five columns of the row.
SettingsBackup BackupHeading(sqlite3_stmt* stmt) {
    SettingsBackup b;
    b.id = sqlite3_column_int64(stmt, 0);
    b.time = sqlite3_column_int64(stmt, 1);
    b.mac = Text(stmt, 2);
    b.model = sqlite3_column_int(stmt, 3);
    b.reason = Text(stmt, 4);
    return b;
}

std::string_view OrderColumn(KnownDeviceSort sort) {
    switch (sort) {
    case KnownDeviceSort::kMac: return "mac";
    case KnownDeviceSort::kLastSeen: return "last_seen";
    case KnownDeviceSort::kIp: return "ip_order";
    case KnownDeviceSort::kName: return "name";
    case KnownDeviceSort::kModel: return "model";
    case KnownDeviceSort::kFirmware: return "firmware";
    case KnownDeviceSort::kOnline: return "online";
    }
    return "mac";
}

// ASCII lower case, as SQLite's lower() folds.
std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

InventoryReader::OpenResult InventoryReader::Open(const std::filesystem::path& file) {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    if (file.empty() || !std::filesystem::exists(file, ec))
        return OpenResult::kMissing;
    store::SqlError error;
    if (!db_.Open(file.string(), error))
        return OpenResult::kFailed;
    sqlite3_busy_timeout(db_.Handle(), 2000);
    const int version = ReadSchemaVersion(db_);
    if (version == kSchemaVersion)
        return OpenResult::kOpened;
    db_.Close();
    if (version > kSchemaVersion)
        return OpenResult::kNewer;
    return version == 0 ? OpenResult::kMissing : OpenResult::kFailed;
}

bool InventoryReader::IsOpen() const { return db_.IsOpen(); }

std::vector<KnownDevice> InventoryReader::KnownDevices() {
    std::lock_guard lock(mutex_);
    std::vector<KnownDevice> devices;
    Query(db_, std::string(kDeviceColumns) + " ORDER BY mac", {},
          [&](sqlite3_stmt* stmt) { devices.push_back(DeviceOf(stmt)); });
    return devices;
}

std::optional<KnownDevice> InventoryReader::Device(std::string_view mac) {
    std::lock_guard lock(mutex_);
    std::optional<KnownDevice> device;
    const SqlParam params[] = {mac};
    Query(db_, std::string(kDeviceColumns) + " WHERE mac = ?1", params,
          [&](sqlite3_stmt* stmt) { device = DeviceOf(stmt); });
    return device;
}

KnownDevicePage InventoryReader::DevicePage(const KnownDeviceQuery& query) {
    KnownDevicePage page;
    if (query.pageSize < 1)
        return page;
    // ?1: 0 every device, 1 online ones, 2 offline ones; ?2: the search text or NULL.
    constexpr std::string_view kWhere =
        " WHERE (?1 = 0 OR online = (?1 = 1)) AND (?2 IS NULL OR instr(search_text, ?2) > 0)";
    const std::string needle = LowerAscii(query.search);
    const SqlParam filter = std::int64_t{static_cast<int>(query.filter)};
    const SqlParam search = needle.empty() ? SqlParam{} : SqlParam{std::string_view(needle)};

    std::lock_guard lock(mutex_);
    const SqlParam countParams[] = {filter, search};
    Query(db_, std::string("SELECT count(*) FROM devices").append(kWhere), countParams,
          [&](sqlite3_stmt* stmt) { page.matching = sqlite3_column_int(stmt, 0); });
    page.pageCount = (page.matching + query.pageSize - 1) / query.pageSize;
    // Past the end: the last page, as the lists show it.
    const int pageNumber = std::max(1, std::min(query.pageNumber, std::max(page.pageCount, 1)));
    std::string sql = kDeviceColumns;
    sql.append(kWhere).append(" ORDER BY ").append(OrderColumn(query.sort));
    sql.append(query.ascending ? " ASC" : " DESC").append(", mac LIMIT ?3 OFFSET ?4");
    const SqlParam params[] = {filter, search, std::int64_t{query.pageSize},
                               std::int64_t{query.pageSize} * (pageNumber - 1)};
    Query(db_, sql, params, [&](sqlite3_stmt* stmt) { page.devices.push_back(DeviceOf(stmt)); });
    return page;
}

std::optional<ap_info_stu> InventoryReader::LastRecord(std::string_view mac) {
    std::lock_guard lock(mutex_);
    std::optional<ap_info_stu> record;
    const SqlParam params[] = {mac};
    Query(db_, "SELECT record FROM devices WHERE mac = ?1", params, [&](sqlite3_stmt* stmt) {
        ap_info_stu r;
        if (RecordOf(stmt, 0, r))
            record = r;
    });
    return record;
}

std::vector<HistoryEvent> InventoryReader::History(std::string_view mac, int limit) {
    std::lock_guard lock(mutex_);
    std::vector<HistoryEvent> events;
    const SqlParam params[] = {mac, std::int64_t{limit}};
    Query(db_, "SELECT id, time, kind, detail FROM events WHERE mac = ?1 ORDER BY id DESC LIMIT ?2", params,
          [&](sqlite3_stmt* stmt) {
              events.push_back(
                  {sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1), Text(stmt, 2), Text(stmt, 3)});
          });
    return events;
}

std::vector<SettingsBackup> InventoryReader::Backups(std::string_view mac) {
    std::lock_guard lock(mutex_);
    std::vector<SettingsBackup> backups;
    const SqlParam params[] = {mac};
    Query(db_, "SELECT id, time, mac, model, reason FROM backups WHERE mac = ?1 ORDER BY id DESC", params,
          [&](sqlite3_stmt* stmt) { backups.push_back(BackupHeading(stmt)); });
    return backups;
}

std::optional<SettingsBackup> InventoryReader::Backup(std::int64_t id) {
    std::lock_guard lock(mutex_);
    std::optional<SettingsBackup> backup;
    const SqlParam params[] = {id};
    Query(db_, "SELECT id, time, mac, model, reason, record FROM backups WHERE id = ?1", params,
          [&](sqlite3_stmt* stmt) {
              SettingsBackup b = BackupHeading(stmt);
              if (RecordOf(stmt, 5, b.record))
                  backup = std::move(b);
          });
    return backup;
}

}  // namespace cpe::inventory
