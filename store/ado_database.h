// One connection to the store's database file. Every engine failure ends here as a false
// result and a kept error text; nothing is thrown. Not safe for concurrent use: the owner
// serialises.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "store/sqlite_connection.h"

namespace cpe {

class CADODatabase {
public:
    CADODatabase();
    virtual ~CADODatabase();
    CADODatabase(const CADODatabase&) = delete;
    CADODatabase& operator=(const CADODatabase&) = delete;

    // Opens the file named after "Data Source=" in the connection string (closing an open
    // connection first). A non-empty string replaces the kept one. The file must exist.
    bool Connect(std::string_view connectionString = {});
    void Disconnect();
    bool IsConnected() const;

    // Runs one statement (Jet table statements are translated) and keeps the affected count.
    bool ExecuteStatement(std::string_view sql, store::SqlParams params = {});
    bool ExecuteStatement(std::string_view sql, std::initializer_list<store::SqlParam> params) {
        return ExecuteStatement(sql, store::SqlParams(params.begin(), params.size()));
    }
    long RecordsAffected() const { return recordsAffected_; }

    bool BeginTransaction();
    bool CommitTransaction();
    bool RollbackTransaction();

    // Creates a new, empty database file; fails when the file already exists.
    bool CreateDatabaseFile(std::string_view connectionString);

    const std::string& ConnectionString() const { return connectionString_; }
    const std::string& LastErrorText() const { return lastErrorText_; }
    long LastErrorCode() const { return lastErrorCode_; }

    // The file path a connection string names ("Data Source=<path>"); empty when none.
    static std::string DataSourceOf(std::string_view connectionString);

    const std::shared_ptr<store::SqliteConnection>& Connection() const { return connection_; }

private:
    bool Fail(const store::SqlError& error);
    bool RunOne(const std::string& sql, store::SqlParams params);

    std::shared_ptr<store::SqliteConnection> connection_;
    std::string connectionString_;
    long recordsAffected_ = 0;
    std::string lastErrorText_;
    long lastErrorCode_ = 0;
};

}  // namespace cpe
