#include "store/ado_database.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "store/jet_dialect.h"

namespace cpe {

CADODatabase::CADODatabase() : connection_(std::make_shared<store::SqliteConnection>()) {}

CADODatabase::~CADODatabase() { Disconnect(); }

std::string CADODatabase::DataSourceOf(std::string_view connectionString) {
    static constexpr std::string_view kKey = "data source=";
    std::size_t start = 0;
    while (start < connectionString.size()) {
        std::size_t end = connectionString.find(';', start);
        if (end == std::string_view::npos)
            end = connectionString.size();
        std::string_view part = connectionString.substr(start, end - start);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        bool match = part.size() >= kKey.size();
        for (std::size_t i = 0; match && i < kKey.size(); ++i)
            match = std::tolower(static_cast<unsigned char>(part[i])) == kKey[i];
        if (match)
            return std::string(part.substr(kKey.size()));
        start = end + 1;
    }
    return {};
}

bool CADODatabase::Fail(const store::SqlError& error) {
    lastErrorCode_ = error.code;
    lastErrorText_ = store::DescribeError("CADODataBase", error) + "Connection String = " + connectionString_;
    return false;
}

bool CADODatabase::Connect(std::string_view connectionString) {
    Disconnect();
    if (!connectionString.empty())
        connectionString_ = connectionString;
    const std::string path = DataSourceOf(connectionString_);
    if (path.empty())
        return Fail({SQLITE_CANTOPEN, "CADODataBase", "The connection string names no data source."});
    store::SqlError error;
    if (!connection_->Open(path, error))
        return Fail(error);
    // Opening is lazy; reading the schema proves the file really is a database.
    if (!connection_->Run("select count(*) from sqlite_schema", {}, error)) {
        connection_->Close();
        return Fail(error);
    }
    return true;
}

void CADODatabase::Disconnect() { connection_->Close(); }

bool CADODatabase::IsConnected() const { return connection_->IsOpen(); }

bool CADODatabase::RunOne(const std::string& sql, store::SqlParams params) {
    store::SqlError error;
    return connection_->Run(sql, params, error) || Fail(error);
}

bool CADODatabase::ExecuteStatement(std::string_view sql, store::SqlParams params) {
    recordsAffected_ = 0;
    if (!IsConnected())
        return Fail({SQLITE_MISUSE, "CADODataBase", "The connection is closed."});
    sqlite3* db = connection_->Handle();
    const sqlite3_int64 before = sqlite3_total_changes64(db);
    const std::vector<std::string> statements = store::TranslateJetStatement(sql);
    bool ok = true;
    if (statements.size() == 1) {
        ok = RunOne(statements.front(), params);
    } else {
        // A statement that became several runs all or nothing.
        ok = RunOne("savepoint jet_statement", {});
        for (std::size_t i = 0; ok && i < statements.size(); ++i)
            ok = RunOne(statements[i], params);
        if (!ok) {
            store::SqlError ignored;
            connection_->Run("rollback to jet_statement", {}, ignored);
        }
        store::SqlError ignored;
        connection_->Run("release jet_statement", {}, ignored);
    }
    if (ok)
        recordsAffected_ = static_cast<long>(sqlite3_total_changes64(db) - before);
    return ok;
}

bool CADODatabase::BeginTransaction() {
    return IsConnected() ? RunOne("begin", {}) : Fail({SQLITE_MISUSE, "CADODataBase", "The connection is closed."});
}

bool CADODatabase::CommitTransaction() {
    return IsConnected() ? RunOne("commit", {}) : Fail({SQLITE_MISUSE, "CADODataBase", "The connection is closed."});
}

bool CADODatabase::RollbackTransaction() {
    return IsConnected() ? RunOne("rollback", {}) : Fail({SQLITE_MISUSE, "CADODataBase", "The connection is closed."});
}

bool CADODatabase::CreateDatabaseFile(std::string_view connectionString) {
    const std::string previous = connectionString_;
    connectionString_ = connectionString;  // named in the error text
    const std::string path = DataSourceOf(connectionString);
    store::SqlError error{SQLITE_CANTOPEN, "CADODataBase", ""};
    bool ok = false;
    if (path.empty()) {
        error.description = "The connection string names no data source.";
    } else {
        // An empty file is an empty database; an existing file is never overwritten.
        const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            ok = true;
        } else {
            error.description = errno == EEXIST ? "Database already exists." : "Cannot create the database file.";
        }
    }
    if (!ok)
        Fail(error);
    connectionString_ = previous;
    return ok;
}

}  // namespace cpe
