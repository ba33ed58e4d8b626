#include "inventory/schema.h"

#include <optional>
#include <string_view>
#include <vector>

namespace cpe::inventory {
namespace {

struct Migration {
    int version;  // the version the file has after the step
    std::vector<std::string_view> statements;
};

const std::vector<Migration>& Migrations() {
    static const std::vector<Migration> steps = {
        {1,
         {
             "CREATE TABLE devices ("
             " mac TEXT PRIMARY KEY NOT NULL, first_seen INTEGER NOT NULL, last_seen INTEGER NOT NULL,"
             " last_ip TEXT NOT NULL DEFAULT '', ip_order INTEGER NOT NULL DEFAULT 0, name TEXT NOT NULL DEFAULT '', "
             "model INTEGER NOT NULL DEFAULT 0,"
             " firmware TEXT NOT NULL DEFAULT '', work_mode INTEGER NOT NULL DEFAULT 0,"
             " online INTEGER NOT NULL DEFAULT 0, record BLOB)",
             "CREATE TABLE events ("
             " id INTEGER PRIMARY KEY, time INTEGER NOT NULL, mac TEXT NOT NULL, kind TEXT NOT NULL,"
             " detail TEXT NOT NULL DEFAULT '{}')",
             "CREATE INDEX events_by_device ON events (mac, id)",
             "CREATE TABLE backups ("
             " id INTEGER PRIMARY KEY, time INTEGER NOT NULL, mac TEXT NOT NULL, model INTEGER NOT NULL,"
             " reason TEXT NOT NULL, record BLOB NOT NULL, fields TEXT NOT NULL)",
             "CREATE INDEX backups_by_device ON backups (mac, id)",
         }},
        // The page's search reads one lower-case text per device instead of building it per query.
        {2,
         {
             "ALTER TABLE devices ADD COLUMN search_text TEXT NOT NULL DEFAULT ''",
             "UPDATE devices SET search_text = lower(mac || char(1) || last_ip || char(1) || name || char(1) || "
             "firmware)",
         }},
    };
    return steps;
}

bool IsDamage(long code) {
    const int primary = static_cast<int>(code) & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// One text row of a PRAGMA, or nothing.
std::optional<std::string> PragmaText(store::SqliteConnection& db, std::string_view pragma, store::SqlError& error) {
    store::StatementLease stmt = db.Prepare(pragma, error);
    if (!stmt)
        return std::nullopt;
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) {
        db.Fail(rc, error);
        return std::nullopt;
    }
    const auto* text = sqlite3_column_text(stmt.get(), 0);
    return std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "");
}

bool RunStep(store::SqliteConnection& db, const Migration& step, store::SqlError& error) {
    if (!db.Run("BEGIN IMMEDIATE", {}, error))
        return false;
    bool ok = true;
    for (std::string_view statement : step.statements)
        ok = ok && db.Run(statement, {}, error);
    ok = ok && db.Run("PRAGMA user_version = " + std::to_string(step.version), {}, error);
    if (ok && db.Run("COMMIT", {}, error))
        return true;
    store::SqlError ignored;
    db.Run("ROLLBACK", {}, ignored);
    return false;
}

}  // namespace

int ReadSchemaVersion(store::SqliteConnection& db) {
    store::SqlError error;
    const auto version = PragmaText(db, "PRAGMA user_version", error);
    return version ? std::stoi(*version) : -1;
}

bool IntegrityOk(store::SqliteConnection& db) {
    store::SqlError error;
    return PragmaText(db, "PRAGMA integrity_check", error) == "ok";
}

SchemaResult PrepareForWriting(store::SqliteConnection& db, store::SqlError& error) {
    const auto check = PragmaText(db, "PRAGMA quick_check", error);
    if (!check)
        return IsDamage(error.code) ? SchemaResult::kDamaged : SchemaResult::kFailed;
    if (*check != "ok")
        return SchemaResult::kDamaged;
    const int version = ReadSchemaVersion(db);
    if (version < 0)
        return SchemaResult::kDamaged;
    if (version > kSchemaVersion)
        return SchemaResult::kNewer;
    const auto mode = PragmaText(db, "PRAGMA journal_mode = WAL", error);
    if (!mode || *mode != "wal") {
        if (mode)
            error = {SQLITE_CANTOPEN, "SQLite", "the file cannot be switched to WAL mode"};
        return SchemaResult::kFailed;
    }
    // In WAL mode NORMAL loses no committed transaction when the program is killed; only a power
    // cut may take the last ones, and never damages the file.
    if (!db.Run("PRAGMA synchronous = NORMAL", {}, error))
        return SchemaResult::kFailed;
    for (const Migration& step : Migrations())
        if (step.version > version && !RunStep(db, step, error))
            return IsDamage(error.code) ? SchemaResult::kDamaged : SchemaResult::kFailed;
    return SchemaResult::kReady;
}

}  // namespace cpe::inventory
