#include "inventory/ledger.h"

#include <cstring>

#include "inventory/event_detail.h"
#include "inventory/settings_backup.h"
#include "protocol/codes.h"

namespace cpe::inventory {
namespace {

using store::SqlBlob;
using store::SqlParam;

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = sqlite3_column_text(stmt, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// The address as a number that orders addresses as the operator reads them.
std::int64_t IpOrder(std::string_view ip) {
    const RawIp raw = ParseIp(ip);
    return std::int64_t{raw[0]} << 24 | std::int64_t{raw[1]} << 16 | std::int64_t{raw[2]} << 8 | raw[3];
}

// What the page's search looks in, as SQLite's lower() would fold it (ASCII only).
std::string SearchText(const KnownDevice& d) {
    std::string text = d.mac + '\x01' + d.lastIp + '\x01' + d.name + '\x01' + d.firmware;
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::span<const std::uint8_t> RecordBytes(const ap_info_stu& record) {
    return {reinterpret_cast<const std::uint8_t*>(&record), sizeof record};
}

}  // namespace

bool Ledger::Load(store::SqlError& error) {
    if (!db_.Run("UPDATE devices SET online = 0 WHERE online <> 0", {}, error))
        return false;
    store::StatementLease stmt =
        db_.Prepare("SELECT mac, first_seen, last_seen, last_ip, name, model, firmware, work_mode FROM devices", error);
    if (!stmt)
        return false;
    known_.clear();
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        Known known;
        KnownDevice& d = known.device;
        d.mac = ColumnText(stmt.get(), 0);
        d.firstSeen = sqlite3_column_int64(stmt.get(), 1);
        d.lastSeen = known.lastSeenWritten = sqlite3_column_int64(stmt.get(), 2);
        d.lastIp = ColumnText(stmt.get(), 3);
        d.name = ColumnText(stmt.get(), 4);
        d.model = sqlite3_column_int(stmt.get(), 5);
        d.firmware = ColumnText(stmt.get(), 6);
        d.workMode = sqlite3_column_int(stmt.get(), 7);
        known_.emplace(d.mac, std::move(known));
    }
    if (rc != SQLITE_DONE) {
        db_.Fail(rc, error);
        return false;
    }
    return true;
}

bool Ledger::AddEvent(std::string_view mac, std::int64_t time, std::string_view kind, std::string_view detail,
                      store::SqlError& error) {
    const SqlParam params[] = {time, mac, kind, detail};
    return db_.Run("INSERT INTO events (time, mac, kind, detail) VALUES (?1, ?2, ?3, ?4)", params, error);
}

bool Ledger::Apply(const RecordNews& news, store::SqlError& error) {
    KnownDevice now = DescribeRecord(news.record, codeset_);
    if (now.mac.empty())
        return true;
    now.lastSeen = news.time;
    auto it = known_.find(now.mac);
    const KnownDevice* before = it == known_.end() ? nullptr : &it->second.device;
    for (const DeviceEvent& event : ChangesOf(before, now))
        if (!AddEvent(now.mac, news.time, event.kind, event.detail, error))
            return false;

    const std::string search = SearchText(now);
    const SqlParam params[] = {std::string_view(now.mac),    news.time,
                               std::string_view(now.lastIp), std::string_view(now.name),
                               std::int64_t{now.model},      std::string_view(now.firmware),
                               std::int64_t{now.workMode},   SqlBlob{RecordBytes(news.record)},
                               IpOrder(now.lastIp),          std::string_view(search)};
    const bool written =
        before == nullptr
            ? db_.Run("INSERT INTO devices (mac, first_seen, last_seen, last_ip, name, model, firmware, work_mode,"
                      " online, record, ip_order, search_text) VALUES (?1, ?2, ?2, ?3, ?4, ?5, ?6, ?7, 1, ?8, ?9, ?10)",
                      params, error)
            : db_.Run("UPDATE devices SET last_seen = ?2, last_ip = ?3, name = ?4, model = ?5, firmware = ?6,"
                      " work_mode = ?7, online = 1, record = ?8, ip_order = ?9, search_text = ?10 WHERE mac = ?1",
                      params, error);
    if (!written)
        return false;
    if (before == nullptr) {
        now.firstSeen = news.time;
        it = known_.emplace(now.mac, Known{}).first;
    } else {
        now.firstSeen = before->firstSeen;
    }
    it->second.device = std::move(now);
    it->second.lastSeenWritten = news.time;
    return true;
}

bool Ledger::Apply(const HeartbeatNews& news, store::SqlError& error) {
    const auto it = known_.find(news.mac.data());
    if (it == known_.end())
        return true;  // its record is still on the way
    Known& known = it->second;
    known.device.lastSeen = news.time;
    const std::string_view ip = news.ip.data();
    const bool moved = known.device.lastIp != ip;
    if (!moved && news.time - known.lastSeenWritten < kLastSeenStep)
        return true;
    if (moved) {
        const std::string detail = EventDetail().Add("from", known.device.lastIp).Add("to", ip).Json();
        if (!AddEvent(known.device.mac, news.time, event_kind::kAddressChanged, detail, error))
            return false;
        known.device.lastIp = ip;
    }
    const std::string search = SearchText(known.device);
    const SqlParam params[] = {std::string_view(known.device.mac), news.time, ip, IpOrder(ip),
                               std::string_view(search)};
    if (!db_.Run("UPDATE devices SET last_seen = ?2, last_ip = ?3, ip_order = ?4, search_text = ?5 WHERE mac = ?1",
                 params, error))
        return false;
    known.lastSeenWritten = news.time;
    return true;
}

bool Ledger::Apply(const GoneNews& news, store::SqlError& error) {
    const auto it = known_.find(news.mac.data());
    if (it == known_.end() || !it->second.device.online)
        return true;
    KnownDevice& device = it->second.device;
    const std::string detail = EventDetail().Add("ip", device.lastIp).Add("last_seen", device.lastSeen).Json();
    if (!AddEvent(device.mac, news.time, event_kind::kGone, detail, error))
        return false;
    const SqlParam params[] = {std::string_view(device.mac), device.lastSeen};
    if (!db_.Run("UPDATE devices SET online = 0, last_seen = ?2 WHERE mac = ?1", params, error))
        return false;
    device.online = false;
    it->second.lastSeenWritten = device.lastSeen;
    return true;
}

bool Ledger::Apply(const ActionEntry& entry, store::SqlError& error) {
    return AddEvent(entry.mac, entry.time, entry.kind, entry.detail, error);
}

bool Ledger::Apply(const BackupRequest& request, std::int64_t& id, store::SqlError& error) {
    id = 0;
    ap_info_stu record;
    {
        const SqlParam params[] = {std::string_view(request.mac)};
        store::StatementLease stmt = db_.Prepare("SELECT record FROM devices WHERE mac = ?1", error);
        if (!stmt || !db_.Bind(stmt.get(), params, error))
            return false;
        const int rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_DONE)
            return true;
        if (rc != SQLITE_ROW) {
            db_.Fail(rc, error);
            return false;
        }
        if (sqlite3_column_bytes(stmt.get(), 0) != static_cast<int>(sizeof record))
            return true;
        std::memcpy(&record, sqlite3_column_blob(stmt.get(), 0), sizeof record);
    }
    const std::string fields = BackupFieldsJson(record, codeset_);
    const SqlParam params[] = {request.time,
                               std::string_view(request.mac),
                               std::int64_t{record.ap_type.get()},
                               std::string_view(request.reason),
                               SqlBlob{RecordBytes(record)},
                               std::string_view(fields)};
    if (!db_.Run("INSERT INTO backups (time, mac, model, reason, record, fields) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                 params, error))
        return false;
    id = sqlite3_last_insert_rowid(db_.Handle());
    return true;
}

}  // namespace cpe::inventory
