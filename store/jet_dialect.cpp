#include "store/jet_dialect.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace cpe::store {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == ';'))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Takes the next word (letters, digits, '_') or bracketed/quoted name off the front of s.
std::string_view NextWord(std::string_view& s) {
    s = Trim(s);
    if (s.empty())
        return {};
    std::size_t end = 0;
    if (s.front() == '[' || s.front() == '"') {
        const char close = s.front() == '[' ? ']' : '"';
        end = s.find(close, 1);
        end = end == std::string_view::npos ? s.size() : end + 1;
    } else {
        while (end < s.size() && (std::isalnum(static_cast<unsigned char>(s[end])) || s[end] == '_'))
            ++end;
    }
    std::string_view word = s.substr(0, end);
    s.remove_prefix(end);
    return word;
}

// Jet brackets a name as [name]; SQLite's standard form is "name".
std::string QuoteName(std::string_view name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        return "\"" + std::string(name.substr(1, name.size() - 2)) + "\"";
    return std::string(name);
}

// Splits at commas that are not inside parentheses.
std::vector<std::string_view> SplitTopLevel(std::string_view s) {
    std::vector<std::string_view> parts;
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '(')
            ++depth;
        else if (s[i] == ')')
            --depth;
        else if (s[i] == ',' && depth == 0) {
            parts.push_back(Trim(s.substr(start, i - start)));
            start = i + 1;
        }
    }
    parts.push_back(Trim(s.substr(start)));
    return parts;
}

std::string TranslateType(std::string_view type, std::string_view size) {
    const std::string t = Lower(type);
    if (t == "counter" || t == "autoincrement")
        return "integer primary key";
    if (t == "long" || t == "integer" || t == "int" || t == "short" || t == "smallint" || t == "byte" ||
        t == "tinyint" || t == "bit" || t == "yesno")
        return "integer";
    if (t == "double" || t == "float" || t == "single" || t == "real" || t == "currency" || t == "money")
        return "real";
    if (t == "char" || t == "character" || t == "text" || t == "varchar" || t == "string" || t == "memo" ||
        t == "longtext")
        return std::string(type) + std::string(size) + " collate nocase";
    return std::string(type) + std::string(size);
}

std::string TranslateColumn(std::string_view def) {
    std::string_view rest = def;
    const std::string_view name = NextWord(rest);
    const std::string_view type = NextWord(rest);
    rest = Trim(rest);
    std::string_view size;
    if (!rest.empty() && rest.front() == '(') {
        const std::size_t close = rest.find(')');
        const std::size_t end = close == std::string_view::npos ? rest.size() : close + 1;
        size = rest.substr(0, end);
        rest.remove_prefix(end);
    }
    std::string out = QuoteName(name);
    if (!type.empty())
        out += " " + TranslateType(type, size);
    rest = Trim(rest);
    if (!rest.empty())
        out += " " + std::string(rest);
    return out;
}

std::vector<std::string> TranslateCreate(std::string_view statement) {
    const std::size_t open = statement.find('(');
    const std::size_t close = statement.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return {std::string(statement)};
    std::string out(Trim(statement.substr(0, open)));
    out += "(";
    bool first = true;
    for (std::string_view def : SplitTopLevel(statement.substr(open + 1, close - open - 1))) {
        if (!first)
            out += ",";
        out += TranslateColumn(def);
        first = false;
    }
    out += ")";
    out += statement.substr(close + 1);
    return {out};
}

std::vector<std::string> TranslateAlter(std::string_view statement) {
    std::string_view rest = statement;
    NextWord(rest);  // alter
    NextWord(rest);  // table
    const std::string_view table = NextWord(rest);
    if (table.empty() || Lower(NextWord(rest)) != "add")
        return {std::string(statement)};
    std::string_view afterColumn = rest;
    if (Lower(NextWord(afterColumn)) == "column")
        rest = afterColumn;
    std::vector<std::string> out;
    for (std::string_view def : SplitTopLevel(rest))
        out.push_back("ALTER TABLE " + QuoteName(table) + " ADD COLUMN " + TranslateColumn(def));
    return out;
}

}  // namespace

std::vector<std::string> TranslateJetStatement(std::string_view statement) {
    const std::string_view text = Trim(statement);
    std::string_view words = text;
    const std::string first = Lower(NextWord(words));
    const std::string second = Lower(NextWord(words));
    if (first == "create" && second == "table")
        return TranslateCreate(text);
    if (first == "alter" && second == "table")
        return TranslateAlter(text);
    return {std::string(statement)};
}

std::optional<int> FixedTextWidth(std::string_view declaredType) {
    std::string_view rest = declaredType;
    const std::string word = Lower(NextWord(rest));
    if (word != "char" && word != "character")
        return std::nullopt;
    rest = Trim(rest);
    if (rest.size() < 3 || rest.front() != '(')
        return std::nullopt;
    int width = 0;
    const auto [end, ec] = std::from_chars(rest.data() + 1, rest.data() + rest.size(), width);
    if (ec != std::errc() || end == rest.data() + rest.size() || *end != ')' || width <= 0)
        return std::nullopt;
    return width;
}

}  // namespace cpe::store
