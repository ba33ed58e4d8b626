#include "cli/record_table.h"

#include <algorithm>

#include "cli/display_width.h"
#include "platform/unicode_text.h"

namespace cpe::cli {
namespace {

constexpr std::string_view kColumnGap = "  ";

void AppendJsonObject(std::string& out, const RecordTable& table, const std::vector<Cell>& row) {
    out += '{';
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c > 0)
            out += ',';
        platform::AppendJsonString(out, table.columns[c]);
        out += ':';
        if (row[c].number)
            out += row[c].text;
        else
            platform::AppendJsonString(out, row[c].text);
    }
    out += '}';
}

// A spreadsheet reads a field that starts like this as a formula: a device that names itself
// "=HYPERLINK(...)" must not put one into the operator's sheet.
bool StartsLikeFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    out.append(width - std::min(width, DisplayWidth(text)), ' ');
}

}  // namespace

std::optional<std::string> RecordTable::Select(const std::vector<std::string>& names) {
    std::vector<std::size_t> picked;
    for (const std::string& name : names) {
        const auto it = std::find(columns.begin(), columns.end(), name);
        if (it == columns.end())
            return name;
        picked.push_back(static_cast<std::size_t>(it - columns.begin()));
    }
    RecordTable kept;
    for (std::size_t index : picked)
        kept.columns.push_back(columns[index]);
    for (const auto& row : rows) {
        auto& cells = kept.rows.emplace_back();
        for (std::size_t index : picked)
            cells.push_back(row[index]);
    }
    *this = std::move(kept);
    return std::nullopt;
}

void AppendCsvField(std::string& out, const Cell& cell) {
    const bool guard = !cell.number && StartsLikeFormula(cell.text);
    const bool quote = guard || cell.text.find_first_of(",\"\r\n") != std::string::npos;
    if (!quote) {
        out += cell.text;
        return;
    }
    out += '"';
    if (guard)
        out += '\'';
    for (char c : cell.text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void WriteJson(const RecordTable& table, std::ostream& out, bool single) {
    std::string text;
    if (single && !table.rows.empty()) {
        AppendJsonObject(text, table, table.rows.front());
        text += '\n';
        out << text;
        return;
    }
    text += "[\n";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        AppendJsonObject(text, table, table.rows[r]);
        text += r + 1 < table.rows.size() ? ",\n" : "\n";
        if (text.size() > 65536) {
            out << text;
            text.clear();
        }
    }
    text += "]\n";
    out << text;
}

void WriteCsv(const RecordTable& table, std::ostream& out) {
    std::string text;
    const auto appendRow = [&text](const std::vector<Cell>& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                text += ',';
            AppendCsvField(text, cells[c]);
        }
        text += "\r\n";
    };
    std::vector<Cell> header;
    for (const std::string& column : table.columns)
        header.push_back({column});
    appendRow(header);
    for (const auto& row : table.rows) {
        appendRow(row);
        if (text.size() > 65536) {
            out << text;
            text.clear();
        }
    }
    out << text;
}

void WriteAligned(const RecordTable& table, std::ostream& out) {
    std::vector<std::vector<std::string>> lines;
    lines.push_back(table.columns);
    for (const auto& row : table.rows) {
        auto& line = lines.emplace_back();
        for (const Cell& cell : row)
            line.push_back(PrintableText(cell.text));
    }
    std::vector<std::size_t> widths(table.columns.size(), 0);
    for (const auto& line : lines)
        for (std::size_t c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(line[c]));
    std::string text;
    for (const auto& line : lines) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            if (c + 1 == line.size()) {
                text += line[c];
                break;
            }
            AppendPadded(text, line[c], widths[c]);
            text += kColumnGap;
        }
        text += '\n';
    }
    out << text;
}

void WriteFieldList(const RecordTable& table, std::ostream& out) {
    if (table.rows.empty())
        return;
    std::size_t width = 0;
    for (const std::string& column : table.columns)
        width = std::max(width, DisplayWidth(column));
    std::string text;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        AppendPadded(text, table.columns[c], width);
        text += kColumnGap;
        text += PrintableText(table.rows.front()[c].text);
        text += '\n';
    }
    out << text;
}

void WriteRecords(const RecordTable& table, OutputFormat format, std::ostream& out, bool single) {
    switch (format) {
    case OutputFormat::kJson: WriteJson(table, out, single); return;
    case OutputFormat::kCsv: WriteCsv(table, out); return;
    case OutputFormat::kTable: (single ? WriteFieldList : WriteAligned)(table, out); return;
    }
}

}  // namespace cpe::cli
