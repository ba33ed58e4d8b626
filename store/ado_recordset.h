// One result set over a CADODatabase connection: a static snapshot of the rows a query
// returns, read by column name, with a pending new row or edit of the current row that
// CommitRow writes back to the result's table in one statement. Every engine failure ends
// here as a false result and a kept error text. Not safe for concurrent use: the owner
// serialises.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "store/ado_database.h"

namespace cpe {

class CADORecordset {
public:
    enum EditState : int { kEditNone = 0, kEditNew = 1, kEditCurrent = 2 };

    CADORecordset() = default;
    explicit CADORecordset(const CADODatabase& database);
    virtual ~CADORecordset();
    CADORecordset(const CADORecordset&) = default;
    CADORecordset& operator=(const CADORecordset&) = default;

    // Binds to a database's connection (closing any open result first).
    void Bind(const CADODatabase& database);

    // Runs a query and keeps all its rows; the reader stands on the first row. A non-empty
    // query replaces the kept one. Values are bound to ?1..?n. A failed open leaves the
    // result closed.
    bool OpenQuery(std::string_view query = {}, store::SqlParams params = {});
    bool OpenQuery(std::string_view query, std::initializer_list<store::SqlParam> params) {
        return OpenQuery(query, store::SqlParams(params.begin(), params.size()));
    }
    // Cancels a pending change and closes the result; nothing when not open.
    void CloseQuery();
    bool IsQueryOpen() const;

    int RowCount() const;
    bool AtEnd() const;
    void NextRow();

    // NULL and empty values read as 0 / the empty text. Numbers read as decimal text; a
    // fixed-width text column reads back padded with blanks to its width. A column the
    // result lacks, or a value with no such form, reads as 0 / empty and returns false.
    // A 32-bit unsigned value written with WriteUnsigned reads back as the same 32 bits.
    bool ReadInt(std::string_view column, int& out);
    bool ReadText(std::string_view column, std::string& out);

    bool BeginNewRow();
    bool BeginEdit();
    bool WriteInt(std::string_view column, std::int32_t value);
    bool WriteUnsigned(std::string_view column, std::uint32_t value);
    bool WriteText(std::string_view column, std::string_view utf8);  // empty -> NULL
    // Writes the pending row; on failure the change is cancelled. Nothing pending: true.
    bool CommitRow();

    int GetEditState() const { return editState_; }
    const std::string& Query() const { return query_; }
    const std::string& LastErrorText() const { return lastErrorText_; }
    long LastErrorCode() const { return lastErrorCode_; }

private:
    struct Blob {};
    using Cell = std::variant<std::monostate, std::int64_t, double, std::string, Blob>;
    struct Shape;
    struct Rows {
        std::vector<Cell> cells;  // count rows of the shape's columns
        std::vector<std::int64_t> rowids;
        std::size_t count = 0;
    };

    // The kept shape of a query, or a new one that knows only its table and statement.
    std::shared_ptr<const Shape> ShapeFor(const std::string& query) const;
    // The shape with the columns the statement's first step shows; a changed shape is kept.
    std::shared_ptr<const Shape> WithColumns(std::shared_ptr<const Shape> shape, sqlite3_stmt* stmt, int first,
                                             int columns);
    // Reads the rows from the step that gave rc to the last; returns the last step's code.
    static int ReadRows(sqlite3_stmt* stmt, int rc, int first, int columns, Rows& rows);

    bool Fail(const store::SqlError& error);
    bool Fail(long code, std::string description);
    int ColumnIndex(std::string_view column) const;
    const Cell* CellAt(int column) const;
    // The named column's cell of the current row; false (with the error kept) when there is none.
    bool CurrentCell(std::string_view column, const Cell*& cell, int& index);
    bool Write(std::string_view column, Cell value);
    bool CheckWidths();
    bool InsertPending();
    bool UpdatePending();
    void CancelPending();
    // Cancels what is pending and checks that the open result can take a new or changed row.
    bool CanChangeRows();

    std::shared_ptr<store::SqliteConnection> connection_;
    std::string query_;
    std::shared_ptr<const Shape> shape_;
    std::vector<std::shared_ptr<const Shape>> shapeCache_;  // of recent queries
    std::vector<Cell> cells_;                               // rowCount_ rows of shape_->names.size() cells
    std::vector<std::int64_t> rowids_;                      // per row, when the result can be changed
    std::size_t rowCount_ = 0;
    std::size_t current_ = 0;
    bool open_ = false;
    int editState_ = kEditNone;
    std::vector<std::optional<Cell>> pending_;
    std::string lastErrorText_;
    long lastErrorCode_ = 0;
};

}  // namespace cpe
