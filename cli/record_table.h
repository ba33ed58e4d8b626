// What cpe-cli prints: named columns and rows of cells, written as JSON, CSV or an aligned table.
// Every text is UTF-8.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace cpe::cli {

enum class OutputFormat { kTable, kJson, kCsv };

struct Cell {
    std::string text;     // a number's decimal form, or a text
    bool number = false;  // JSON writes it bare, CSV never guards it
};

struct RecordTable {
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;  // one cell per column each

    // Keeps the named columns only, in the order named; the first unknown name when there is one
    // (the table is then left as it was).
    std::optional<std::string> Select(const std::vector<std::string>& names);
};

// JSON (RFC 8259): an array with one object per row, one row a line; `single` writes the one
// row as an object instead.
void WriteJson(const RecordTable& table, std::ostream& out, bool single = false);
// CSV (RFC 4180): a header row, then the rows, CRLF line ends, fields quoted where needed.
void WriteCsv(const RecordTable& table, std::ostream& out);
// A terminal table: a header line, then the rows, columns aligned by display width.
void WriteAligned(const RecordTable& table, std::ostream& out);
// A terminal listing of the one row: each column's name beside its value.
void WriteFieldList(const RecordTable& table, std::ostream& out);

// The table in `format`; a single record (show) is listed field by field on a terminal and as
// one object in JSON.
void WriteRecords(const RecordTable& table, OutputFormat format, std::ostream& out, bool single = false);

// The pieces, for the writers and their tests.
void AppendCsvField(std::string& out, const Cell& cell);

}  // namespace cpe::cli
