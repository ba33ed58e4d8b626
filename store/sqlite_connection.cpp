#include "store/sqlite_connection.h"

#include <climits>
#include <cstdio>

namespace cpe::store {

StatementLease::StatementLease(sqlite3_stmt* stmt, int* activeLeases) : stmt_(stmt), activeLeases_(activeLeases) {
    ++*activeLeases_;
}

StatementLease::~StatementLease() {
    if (stmt_ != nullptr) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        --*activeLeases_;
    }
}

std::string DescribeError(std::string_view className, const SqlError& error) {
    char code[16];
    std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(error.code) & 0xffffffffUL);
    std::string text(className);
    text += " Error\n\tCode = ";
    text += code;
    text += "\n\tCode meaning = ";
    text += sqlite3_errstr(static_cast<int>(error.code));
    text += "\n\tSource = " + error.source + "\n\tDescription = " + error.description + "\n";
    return text;
}

bool SqliteConnection::Open(const std::string& path, SqlError& error, OpenMode mode) {
    Close();
    sqlite3* db = nullptr;
    // The callers serialise every use, so SQLite's own mutexes are not needed.
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (mode == OpenMode::kCreate ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        error.code = rc;
        error.source = "SQLite";
        error.description = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    sqlite3_extended_result_codes(db, 1);
    db_ = db;
    return true;
}

void SqliteConnection::Close() {
    cache_.clear();  // every lease has ended: leases live within one layer call
    if (db_ != nullptr) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

void SqliteConnection::Fail(int code, SqlError& error) const {
    error.code = code;
    error.source = "SQLite";
    error.description = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
}

StatementLease SqliteConnection::Prepare(std::string_view sql, SqlError& error) {
    if (db_ == nullptr) {
        error = {SQLITE_MISUSE, "SQLite", "The connection is closed."};
        return {};
    }
    std::string key(sql);
    if (auto it = cache_.find(key); it != cache_.end())
        return {it->second.get(), &activeLeases_};
    if (sql.size() > static_cast<std::size_t>(INT_MAX)) {
        error = {SQLITE_TOOBIG, "SQLite", "The statement is too long."};
        return {};
    }
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw, &tail);
    StatementPtr stmt(raw);
    if (rc != SQLITE_OK) {
        Fail(rc, error);
        return {};
    }
    if (stmt == nullptr) {
        error = {SQLITE_MISUSE, "SQLite", "The statement is empty."};
        return {};
    }
    // One statement per call: trailing text other than blanks and a semicolon is refused.
    for (; tail != nullptr && tail < sql.data() + sql.size(); ++tail) {
        if (*tail != ' ' && *tail != ';' && *tail != '\t' && *tail != '\r' && *tail != '\n') {
            error = {SQLITE_ERROR, "SQLite", "Characters found after end of SQL statement."};
            return {};
        }
    }
    if (cache_.size() >= kCacheLimit && activeLeases_ == 0)
        cache_.clear();
    sqlite3_stmt* lent = stmt.get();
    cache_.emplace(std::move(key), std::move(stmt));
    return {lent, &activeLeases_};
}

bool SqliteConnection::Bind(sqlite3_stmt* stmt, SqlParams params, SqlError& error) {
    const int expected = sqlite3_bind_parameter_count(stmt);
    if (static_cast<std::size_t>(expected) != params.size()) {
        error = {SQLITE_RANGE, "SQLite",
                 "The statement expects " + std::to_string(expected) + " parameters, " + std::to_string(params.size()) +
                     " were given."};
        return false;
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        int rc = SQLITE_OK;
        if (const auto* n = std::get_if<std::int64_t>(&params[i]))
            rc = sqlite3_bind_int64(stmt, index, *n);
        else if (const auto* d = std::get_if<double>(&params[i]))
            rc = sqlite3_bind_double(stmt, index, *d);
        else if (const auto* t = std::get_if<std::string_view>(&params[i]))
            rc = sqlite3_bind_text64(stmt, index, t->data(), t->size(), SQLITE_STATIC, SQLITE_UTF8);
        else if (const auto* b = std::get_if<SqlBlob>(&params[i]))
            rc = sqlite3_bind_blob64(stmt, index, b->bytes.data(), b->bytes.size(), SQLITE_STATIC);
        else
            rc = sqlite3_bind_null(stmt, index);
        if (rc != SQLITE_OK) {
            Fail(rc, error);
            return false;
        }
    }
    return true;
}

bool SqliteConnection::Run(std::string_view sql, SqlParams params, SqlError& error) {
    StatementLease stmt = Prepare(sql, error);
    if (!stmt || !Bind(stmt.get(), params, error))
        return false;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        Fail(rc, error);
        return false;
    }
    return true;
}

}  // namespace cpe::store
