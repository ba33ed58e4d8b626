// One SQLite connection with a cache of prepared statements. The access-layer classes share
// it: the database object opens and closes it, result sets run their queries on it. It holds
// no lock; its users serialise.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

namespace cpe::store {

// Bytes bound as a BLOB, borrowed for the call like a text.
struct SqlBlob {
    std::span<const std::uint8_t> bytes;
};

// A value bound to a statement parameter. Texts are UTF-8 and only borrowed for the call.
using SqlParam = std::variant<std::monostate, std::int64_t, double, std::string_view, SqlBlob>;
using SqlParams = std::span<const SqlParam>;

// The last failure of an operation, as the access layer reports it.
struct SqlError {
    long code = 0;
    std::string source;
    std::string description;
};

struct StatementDeleter {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// A cached statement lent out for one use; it is reset and its bindings cleared when the
// lease ends, so borrowed parameter texts never outlive the call. The cache is never
// trimmed while a lease is out.
class StatementLease {
public:
    StatementLease() = default;
    StatementLease(sqlite3_stmt* stmt, int* activeLeases);
    ~StatementLease();
    StatementLease(const StatementLease&) = delete;
    StatementLease& operator=(const StatementLease&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int* activeLeases_ = nullptr;
};

// The error text the access layer keeps: the head line names the class, then the code, its
// meaning, the source and the description, each on its own tabbed line.
std::string DescribeError(std::string_view className, const SqlError& error);

class SqliteConnection {
public:
    SqliteConnection() = default;
    ~SqliteConnection() { Close(); }
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    enum class OpenMode : std::uint8_t { kExisting, kCreate };
    // Opens a database file for reading and writing; kCreate makes it when missing.
    bool Open(const std::string& path, SqlError& error, OpenMode mode = OpenMode::kExisting);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    sqlite3* Handle() const { return db_; }

    // Prepares one statement, or takes it from the cache. A null lease means failure.
    StatementLease Prepare(std::string_view sql, SqlError& error);
    // Binds params to ?1..?n in order.
    bool Bind(sqlite3_stmt* stmt, SqlParams params, SqlError& error);
    // Runs a statement that returns no rows of interest; rows it yields are skipped.
    bool Run(std::string_view sql, SqlParams params, SqlError& error);

    // Fills error from the connection's last failure.
    void Fail(int code, SqlError& error) const;

private:
    static constexpr std::size_t kCacheLimit = 128;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, StatementPtr> cache_;
    int activeLeases_ = 0;
};

}  // namespace cpe::store
