#include "store/ado_recordset.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "store/jet_dialect.h"

namespace cpe {
namespace {

constexpr std::size_t kShapeCacheLimit = 32;

// Names are ASCII; folding them by hand keeps the locale out of every lookup.
unsigned char Fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + 32) : u;
}

// Column names are matched without regard to case, as the result's field names are.
struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const {
        std::size_t h = 14695981039346656037ULL;
        for (char c : s)
            h = (h ^ Fold(c)) * 1099511628211ULL;
        return h;
    }
};
struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
    }
};

bool StartsWithWord(std::string_view s, std::string_view word) {
    return s.size() >= word.size() && FoldedEqual{}(s.substr(0, word.size()), word) &&
           (s.size() == word.size() ||
            !(std::isalnum(static_cast<unsigned char>(s[word.size()])) || s[word.size()] == '_'));
}

std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    return s;
}

// The one table a plain "select <columns> from <table> [where|order by|limit ...]" reads;
// empty for anything else (joins, groups, functions, subqueries), whose rows cannot be
// written back.
std::string BaseTableOf(std::string_view query) {
    if (!StartsWithWord(query, "select"))
        return {};
    std::string_view rest = SkipBlanks(query.substr(6));
    if (StartsWithWord(rest, "distinct") || StartsWithWord(rest, "all"))
        return {};
    std::size_t from = std::string_view::npos;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '(' || c == '\'' || c == '"' || c == '[')
            return {};
        if (std::isspace(static_cast<unsigned char>(c)) && StartsWithWord(SkipBlanks(rest.substr(i)), "from")) {
            from = i;
            break;
        }
    }
    if (from == std::string_view::npos)
        return {};
    std::string_view tail = SkipBlanks(SkipBlanks(rest.substr(from)).substr(4));
    std::size_t n = 0;
    while (n < tail.size() && (std::isalnum(static_cast<unsigned char>(tail[n])) || tail[n] == '_'))
        ++n;
    if (n == 0)
        return {};
    const std::string table(tail.substr(0, n));
    tail = SkipBlanks(tail.substr(n));
    if (!(tail.empty() || tail.front() == ';' || StartsWithWord(tail, "where") || StartsWithWord(tail, "order") ||
          StartsWithWord(tail, "limit") || StartsWithWord(tail, "not") || StartsWithWord(tail, "indexed")))
        return {};
    for (std::string_view word : {" join ", " group ", " union ", " having ", " intersect ", " except "}) {
        auto it = std::search(tail.begin(), tail.end(), word.begin(), word.end(),
                              [](char x, char y) { return Fold(x) == Fold(y); });
        if (it != tail.end())
            return {};
    }
    return table;
}

std::size_t Utf8Length(std::string_view s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A pending value as a statement parameter; it borrows the cell's text.
template <typename CellT>
store::SqlParam ParamOf(const CellT& cell) {
    return std::visit(
        [](const auto& v) -> store::SqlParam {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::string>)
                return std::string_view(v);
            else if constexpr (std::is_same_v<V, std::int64_t> || std::is_same_v<V, double>)
                return v;
            else
                return std::monostate{};
        },
        cell);
}

template <typename CellT>
bool SameValue(const CellT& a, const CellT& b) {
    const auto number = [](const CellT& c, double& out) {
        if (const auto* n = std::get_if<std::int64_t>(&c))
            return out = static_cast<double>(*n), true;
        if (const auto* d = std::get_if<double>(&c))
            return out = *d, true;
        return false;
    };
    double x = 0, y = 0;
    if (number(a, x) && number(b, y))
        return x == y;
    if (a.index() != b.index())
        return false;
    if (const auto* t = std::get_if<std::string>(&a))
        return *t == std::get<std::string>(b);
    return std::holds_alternative<std::monostate>(a);  // blobs are never taken as equal
}

void AppendQuoted(std::string& out, std::string_view name) {
    out += '"';
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
}

std::string QuoteName(std::string_view name) {
    std::string out;
    AppendQuoted(out, name);
    return out;
}

}  // namespace

struct CADORecordset::Shape {
    std::string query;     // as the caller gave it
    std::string executed;  // with the row id in front when the rows can be written back
    std::string table;     // empty: read-only
    std::vector<std::string> names;
    std::vector<int> widths;  // fixed text width per column, 0 for others
    std::unordered_map<std::string, int, FoldedHash, FoldedEqual> index;
};

CADORecordset::CADORecordset(const CADODatabase& database) : connection_(database.Connection()) {}

CADORecordset::~CADORecordset() { CloseQuery(); }

void CADORecordset::Bind(const CADODatabase& database) {
    CloseQuery();
    connection_ = database.Connection();
    shapeCache_.clear();
}

bool CADORecordset::Fail(const store::SqlError& error) {
    lastErrorCode_ = error.code;
    lastErrorText_ = store::DescribeError("CADORecordset", error) + "Query = " + query_;
    return false;
}

bool CADORecordset::Fail(long code, std::string description) {
    return Fail(store::SqlError{code, "CADORecordset", std::move(description)});
}

bool CADORecordset::OpenQuery(std::string_view query, store::SqlParams params) {
    CloseQuery();
    if (!query.empty())
        query_ = query;
    query_.erase(0, query_.find_first_not_of(" \t\r\n"));
    if (connection_ == nullptr || !connection_->IsOpen())
        return Fail(SQLITE_MISUSE, "The connection is closed.");

    std::shared_ptr<const Shape> shape = ShapeFor(query_);
    store::SqlError error;
    store::StatementLease stmt = connection_->Prepare(shape->executed, error);
    if (!stmt || !connection_->Bind(stmt.get(), params, error))
        return Fail(error);
    // The first step also re-prepares a statement whose tables have changed since it was
    // cached, so the columns are only known after it.
    int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        connection_->Fail(rc, error);
        return Fail(error);
    }
    const int first = shape->table.empty() ? 0 : 1;
    const int columns = sqlite3_column_count(stmt.get()) - first;
    if (columns < 0)
        return Fail(SQLITE_ERROR, "The query returns no columns.");
    shape = WithColumns(std::move(shape), stmt.get(), first, columns);

    Rows rows;
    rc = ReadRows(stmt.get(), rc, first, columns, rows);
    if (rc != SQLITE_DONE) {
        connection_->Fail(rc, error);
        return Fail(error);
    }
    shape_ = std::move(shape);
    cells_ = std::move(rows.cells);
    rowids_ = std::move(rows.rowids);
    rowCount_ = rows.count;
    current_ = 0;
    open_ = true;
    return true;
}

std::shared_ptr<const CADORecordset::Shape> CADORecordset::ShapeFor(const std::string& query) const {
    auto cached =
        std::find_if(shapeCache_.begin(), shapeCache_.end(), [&](const auto& s) { return s->query == query; });
    if (cached != shapeCache_.end())
        return *cached;
    auto fresh = std::make_shared<Shape>();
    fresh->query = query;
    fresh->table = BaseTableOf(query);
    fresh->executed = fresh->table.empty() ? query : "select " + QuoteName(fresh->table) + ".rowid," + query.substr(6);
    return fresh;
}

std::shared_ptr<const CADORecordset::Shape> CADORecordset::WithColumns(std::shared_ptr<const Shape> shape,
                                                                       sqlite3_stmt* stmt, int first, int columns) {
    bool same = static_cast<int>(shape->names.size()) == columns;
    for (int i = 0; same && i < columns; ++i) {
        const char* name = sqlite3_column_name(stmt, i + first);
        same = name != nullptr && shape->names[i] == name;
    }
    if (same)
        return shape;
    auto fresh = std::make_shared<Shape>(*shape);
    fresh->names.clear();
    fresh->widths.clear();
    fresh->index.clear();
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(stmt, i + first);
        const char* decl = sqlite3_column_decltype(stmt, i + first);
        fresh->names.emplace_back(name != nullptr ? name : "");
        fresh->widths.push_back(decl != nullptr ? store::FixedTextWidth(decl).value_or(0) : 0);
        fresh->index.emplace(fresh->names.back(), i);
    }
    auto cached =
        std::find_if(shapeCache_.begin(), shapeCache_.end(), [&](const auto& s) { return s->query == fresh->query; });
    if (cached != shapeCache_.end()) {
        *cached = fresh;
    } else {
        if (shapeCache_.size() >= kShapeCacheLimit)
            shapeCache_.erase(shapeCache_.begin());
        shapeCache_.push_back(fresh);
    }
    return fresh;
}

int CADORecordset::ReadRows(sqlite3_stmt* stmt, int rc, int first, int columns, Rows& rows) {
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
        if (first == 1)
            rows.rowids.push_back(sqlite3_column_int64(stmt, 0));
        for (int i = first; i < columns + first; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                rows.cells.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(stmt, i)));
                break;
            case SQLITE_FLOAT: rows.cells.emplace_back(sqlite3_column_double(stmt, i)); break;
            case SQLITE_TEXT: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                rows.cells.emplace_back(std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))));
                break;
            }
            case SQLITE_BLOB: rows.cells.emplace_back(Blob{}); break;
            default: rows.cells.emplace_back(std::monostate{}); break;
            }
        }
        ++rows.count;
    }
    return rc;
}

void CADORecordset::CloseQuery() {
    if (!open_)
        return;
    CancelPending();
    cells_.clear();
    rowids_.clear();
    rowCount_ = 0;
    current_ = 0;
    open_ = false;
}

bool CADORecordset::IsQueryOpen() const { return open_ && connection_ != nullptr && connection_->IsOpen(); }

int CADORecordset::RowCount() const {
    return IsQueryOpen() ? static_cast<int>(std::min<std::size_t>(rowCount_, std::numeric_limits<int>::max())) : 0;
}

bool CADORecordset::AtEnd() const { return !IsQueryOpen() || current_ >= rowCount_; }

void CADORecordset::NextRow() {
    if (IsQueryOpen() && current_ < rowCount_)
        ++current_;
}

int CADORecordset::ColumnIndex(std::string_view column) const {
    if (shape_ == nullptr)
        return -1;
    const auto it = shape_->index.find(column);
    return it == shape_->index.end() ? -1 : it->second;
}

const CADORecordset::Cell* CADORecordset::CellAt(int column) const {
    static const Cell kNull;
    if (editState_ != kEditNone && pending_[column].has_value())
        return &*pending_[column];
    if (editState_ == kEditNew || current_ >= rowCount_)
        return editState_ == kEditNew ? &kNull : nullptr;
    return &cells_[current_ * shape_->names.size() + static_cast<std::size_t>(column)];
}

bool CADORecordset::CurrentCell(std::string_view column, const Cell*& cell, int& index) {
    if (!IsQueryOpen())
        return Fail(SQLITE_MISUSE, "The result is not open.");
    index = ColumnIndex(column);
    if (index < 0)
        return Fail(SQLITE_ERROR, "Item cannot be found in the collection: " + std::string(column));
    cell = CellAt(index);
    if (cell == nullptr)
        return Fail(SQLITE_RANGE, "There is no current row.");
    return true;
}

bool CADORecordset::ReadInt(std::string_view column, int& out) {
    out = 0;
    const Cell* cell = nullptr;
    int index = 0;
    if (!CurrentCell(column, cell, index))
        return false;
    std::int64_t value = 0;
    if (const auto* n = std::get_if<std::int64_t>(cell)) {
        value = *n;
    } else if (const auto* d = std::get_if<double>(cell)) {
        if (!(*d >= -2147483648.0 && *d <= 4294967295.0))
            return Fail(SQLITE_RANGE, "The value does not fit an integer.");
        value = static_cast<std::int64_t>(*d);
    } else if (const auto* t = std::get_if<std::string>(cell)) {
        std::string_view s = SkipBlanks(*t);
        while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
            s.remove_suffix(1);
        if (s.empty())
            return true;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
        if (ec != std::errc() || end != s.data() + s.size())
            return Fail(SQLITE_MISMATCH, "The text is not a number.");
    } else if (std::holds_alternative<Blob>(*cell)) {
        return Fail(SQLITE_MISMATCH, "The value has no integer form.");
    }
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::uint32_t>::max())
        return Fail(SQLITE_RANGE, "The value does not fit an integer.");
    out = static_cast<int>(static_cast<std::uint32_t>(value));
    return true;
}

bool CADORecordset::ReadText(std::string_view column, std::string& out) {
    out.clear();
    const Cell* cell = nullptr;
    int index = 0;
    if (!CurrentCell(column, cell, index))
        return false;
    if (std::holds_alternative<std::monostate>(*cell))
        return true;
    if (const auto* n = std::get_if<std::int64_t>(cell)) {
        out = std::to_string(*n);
    } else if (const auto* d = std::get_if<double>(cell)) {
        char buffer[32];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *d);
        out.assign(buffer, ec == std::errc() ? end : buffer);
    } else if (const auto* t = std::get_if<std::string>(cell)) {
        if (t->empty())
            return true;
        out = *t;
        const std::size_t width = static_cast<std::size_t>(shape_->widths[index]);
        const std::size_t length = Utf8Length(out);
        if (length < width)
            out.append(width - length, ' ');
    } else {
        return Fail(SQLITE_MISMATCH, "The value has no text form.");
    }
    return true;
}

bool CADORecordset::CanChangeRows() {
    CancelPending();
    if (!IsQueryOpen())
        return Fail(SQLITE_MISUSE, "The result is not open.");
    if (shape_->table.empty())
        return Fail(SQLITE_READONLY, "The result of this query cannot be changed.");
    return true;
}

bool CADORecordset::BeginNewRow() {
    if (!CanChangeRows())
        return false;
    pending_.assign(shape_->names.size(), std::nullopt);
    editState_ = kEditNew;
    return true;
}

bool CADORecordset::BeginEdit() {
    if (!CanChangeRows())
        return false;
    if (current_ >= rowCount_)
        return Fail(SQLITE_RANGE, "There is no current row.");
    pending_.assign(shape_->names.size(), std::nullopt);
    editState_ = kEditCurrent;
    return true;
}

bool CADORecordset::Write(std::string_view column, Cell value) {
    if (editState_ == kEditNone)
        return Fail(SQLITE_MISUSE, "No new row or edit is pending.");
    const int index = ColumnIndex(column);
    if (index < 0)
        return Fail(SQLITE_ERROR, "Item cannot be found in the collection: " + std::string(column));
    pending_[index] = std::move(value);
    return true;
}

bool CADORecordset::WriteInt(std::string_view column, std::int32_t value) {
    return Write(column, static_cast<std::int64_t>(value));
}

bool CADORecordset::WriteUnsigned(std::string_view column, std::uint32_t value) {
    return Write(column, static_cast<std::int64_t>(value));
}

bool CADORecordset::WriteText(std::string_view column, std::string_view utf8) {
    return Write(column, utf8.empty() ? Cell{} : Cell{std::string(utf8)});
}

void CADORecordset::CancelPending() {
    editState_ = kEditNone;
    pending_.clear();
}

bool CADORecordset::CheckWidths() {
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const auto* text = pending_[i] ? std::get_if<std::string>(&*pending_[i]) : nullptr;
        if (text != nullptr && shape_->widths[i] > 0 && Utf8Length(*text) > static_cast<std::size_t>(shape_->widths[i]))
            return Fail(SQLITE_TOOBIG, "The field is too small to accept the amount of data: " + shape_->names[i]);
    }
    return true;
}

bool CADORecordset::InsertPending() {
    std::string sql = "insert into " + QuoteName(shape_->table);
    sql.reserve(32 * pending_.size());
    std::string values;
    std::vector<store::SqlParam> params;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        if (!pending_[i])
            continue;
        sql += params.empty() ? "(" : ",";
        values += params.empty() ? "?" : ",?";
        AppendQuoted(sql, shape_->names[i]);
        params.push_back(ParamOf(*pending_[i]));
    }
    sql += params.empty() ? " default values" : ") values(" + values + ")";
    store::SqlError error;
    if (!connection_->Run(sql, params, error))
        return Fail(error);
    rowids_.push_back(sqlite3_last_insert_rowid(connection_->Handle()));
    for (std::size_t i = 0; i < pending_.size(); ++i)
        cells_.push_back(pending_[i] ? std::move(*pending_[i]) : Cell{});
    current_ = rowCount_++;
    return true;
}

bool CADORecordset::UpdatePending() {
    std::string sql = "update " + QuoteName(shape_->table) + " set ";
    std::vector<store::SqlParam> params;
    const std::size_t base = current_ * shape_->names.size();
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        // Only what changed is written, so indexes over unchanged columns stay untouched.
        if (!pending_[i] || SameValue(*pending_[i], cells_[base + i]))
            continue;
        if (!params.empty())
            sql += ",";
        AppendQuoted(sql, shape_->names[i]);
        sql += "=?";
        params.push_back(ParamOf(*pending_[i]));
    }
    if (params.empty())
        return true;
    sql += " where rowid=?";
    params.emplace_back(static_cast<std::int64_t>(rowids_[current_]));
    store::SqlError error;
    if (!connection_->Run(sql, params, error))
        return Fail(error);
    if (sqlite3_changes(connection_->Handle()) != 1)
        return Fail(SQLITE_NOTFOUND, "The row to update no longer exists.");
    for (std::size_t i = 0; i < pending_.size(); ++i)
        if (pending_[i])
            cells_[base + i] = std::move(*pending_[i]);
    return true;
}

bool CADORecordset::CommitRow() {
    if (editState_ == kEditNone)
        return true;
    bool ok = IsQueryOpen() ? CheckWidths() : Fail(SQLITE_MISUSE, "The result is not open.");
    if (ok)
        ok = editState_ == kEditNew ? InsertPending() : UpdatePending();
    CancelPending();
    return ok;
}

}  // namespace cpe
