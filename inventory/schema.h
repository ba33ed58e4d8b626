// The inventory's tables and their versions. The version stands in PRAGMA user_version; each
// migration step takes the file from the version before it to its own, so a file of any earlier
// version (0: a new, empty file) is brought forward one step at a time, each in its own
// transaction. A file of a later version than this program knows is left untouched.
#pragma once

#include <string>

#include "store/sqlite_connection.h"

namespace cpe::inventory {

inline constexpr int kSchemaVersion = 2;

enum class SchemaResult : std::uint8_t {
    kReady,    // at kSchemaVersion, WAL mode on
    kDamaged,  // not a database, or its own check finds it corrupt
    kNewer,    // written by a later version of the program
    kFailed,   // could not be read or written (full disk, read-only folder, ...): see the error
};

// Checks the open file, switches it to WAL and runs the migrations it lacks.
SchemaResult PrepareForWriting(store::SqliteConnection& db, store::SqlError& error);
// The version the file stands at; -1 when it cannot be read (damaged, not a database).
int ReadSchemaVersion(store::SqliteConnection& db);
// True when SQLite's full check of the file answers "ok".
bool IntegrityOk(store::SqliteConnection& db);

}  // namespace cpe::inventory
