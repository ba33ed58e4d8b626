#include "cli/display_width.h"
#include "cli/record_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/unicode_text.h"
#include "sim/json.h"

namespace cpe::cli {
namespace {

std::string Csv(const Cell& cell) {
    std::string out;
    AppendCsvField(out, cell);
    return out;
}

std::string Json(std::string_view text) {
    std::string out;
    platform::AppendJsonString(out, text);
    return out;
}

// A minimal RFC 4180 reader: what a spreadsheet or a script makes of the output.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            field += c;
        }
    }
    rows.pop_back();  // after the last CRLF
    return rows;
}

RecordTable Sample() {
    RecordTable table;
    table.columns = {"Location", "channel", "ssid"};
    table.rows = {
        {{"屋顶站点-2"}, {"3", true}, {"a,b \"c\"\r\nd"}},
        {{"=HYPERLINK(\"x\")"}, {"-1", true}, {""}},
    };
    return table;
}

TEST(CsvOutput, QuotesOnlyWhatNeedsItDoublesQuotesAndGuardsFormulas) {
    EXPECT_EQ(Csv({"plain text"}), "plain text");
    EXPECT_EQ(Csv({"屋顶站点"}), "屋顶站点");  // UTF-8 as it is
    EXPECT_EQ(Csv({"a,b"}), "\"a,b\"");
    EXPECT_EQ(Csv({"say \"hi\""}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(Csv({"two\nlines"}), "\"two\nlines\"");
    EXPECT_EQ(Csv({"cr\ronly"}), "\"cr\ronly\"");
    EXPECT_EQ(Csv({""}), "");
    // A device text a spreadsheet would run as a formula is kept as text; numbers are numbers.
    EXPECT_EQ(Csv({"=1+2"}), "\"'=1+2\"");
    EXPECT_EQ(Csv({"@SUM(A1)"}), "\"'@SUM(A1)\"");
    EXPECT_EQ(Csv({"+33 1"}), "\"'+33 1\"");
    EXPECT_EQ(Csv({"-1", true}), "-1");
}

TEST(CsvOutput, TableReadsBackRowForRowWithHeaderAndCrlfLineEnds) {
    std::ostringstream out;
    WriteCsv(Sample(), out);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "Location,channel,ssid");
    const auto rows = ReadCsv(text);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"屋顶站点-2", "3", "a,b \"c\"\r\nd"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"'=HYPERLINK(\"x\")", "-1", ""}));
}

TEST(JsonOutput, EscapesPerRfc8259AndKeepsUtf8) {
    EXPECT_EQ(Json("plain"), "\"plain\"");
    EXPECT_EQ(Json("q\"b\\s/"), "\"q\\\"b\\\\s/\"");
    EXPECT_EQ(Json("\b\f\n\r\t"), "\"\\b\\f\\n\\r\\t\"");
    EXPECT_EQ(Json(std::string("\x01\x1f\x00", 3)), "\"\\u0001\\u001f\\u0000\"");
    EXPECT_EQ(Json("\x7f"), "\"\x7f\"");
    EXPECT_EQ(Json("無線網絡 Réseau 🙂"), "\"無線網絡 Réseau 🙂\"");
    // Ill-formed bytes never reach the output: they become U+FFFD.
    EXPECT_EQ(Json("a\xff\xc3"), "\"a\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(JsonOutput, TableIsAnArrayOfObjectsWithBareNumbersAndASingleRecordIsOneObject) {
    std::ostringstream out;
    WriteJson(Sample(), out);
    const auto parsed = sim::ParseJson(out.str());
    ASSERT_TRUE(parsed.has_value()) << out.str();
    ASSERT_EQ(parsed->Size(), 2u);
    EXPECT_EQ((*parsed)[0]["Location"].Str(), "屋顶站点-2");
    EXPECT_EQ((*parsed)[0]["channel"].Int(), 3);
    EXPECT_EQ((*parsed)[0]["ssid"].Str(), "a,b \"c\"\r\nd");
    EXPECT_EQ((*parsed)[1]["channel"].Int(), -1);
    EXPECT_EQ((*parsed)[1]["Location"].Str(), "=HYPERLINK(\"x\")");  // JSON carries texts as they are

    std::ostringstream one;
    WriteJson(Sample(), one, true);
    const auto single = sim::ParseJson(one.str());
    ASSERT_TRUE(single.has_value() && single->IsObject());
    EXPECT_EQ((*single)["Location"].Str(), "屋顶站点-2");

    std::ostringstream none;
    WriteJson(RecordTable{{"a"}, {}}, none);
    EXPECT_EQ(none.str(), "[\n]\n");
}

TEST(TerminalTable, AlignsByDisplayColumnsAndNeverPrintsControlCharacters) {
    EXPECT_EQ(DisplayWidth("abc"), 3u);
    EXPECT_EQ(DisplayWidth("屋顶"), 4u);
    EXPECT_EQ(DisplayWidth("ｱｲ"), 2u);         // halfwidth katakana
    EXPECT_EQ(DisplayWidth("e\xcc\x81"), 1u);  // e + combining acute
    EXPECT_EQ(PrintableText("a\x1b[2Jb\x9b"), "a\xEF\xBF\xBD[2Jb\xEF\xBF\xBD");

    RecordTable table;
    table.columns = {"Location", "IP"};
    table.rows = {{{"屋顶站点-2"}, {"10.0.0.1"}}, {{"CPE\n1"}, {"10.0.0.2"}}};
    std::ostringstream out;
    WriteAligned(table, out);
    std::istringstream lines(out.str());
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);)
        got.push_back(line);
    ASSERT_EQ(got.size(), 3u);
    // The second column starts at the same display column on every line.
    for (const std::string& line : got) {
        const std::size_t at = line.rfind("  ");
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_EQ(DisplayWidth(line.substr(0, at + 2)), 12u) << line;
    }
    EXPECT_EQ(got[2].substr(0, 7), "CPE\xEF\xBF\xBD"
                                   "1");
}

TEST(TerminalTable, SelectKeepsTheNamedColumnsInOrderAndRefusesUnknownOnes) {
    RecordTable table = Sample();
    EXPECT_EQ(table.Select({"ssid", "Nope"}), std::optional<std::string>("Nope"));
    EXPECT_EQ(table.columns.size(), 3u);  // left as it was
    EXPECT_EQ(table.Select({"ssid", "Location"}), std::nullopt);
    EXPECT_EQ(table.columns, (std::vector<std::string>{"ssid", "Location"}));
    EXPECT_EQ(table.rows[0][1].text, "屋顶站点-2");
}

}  // namespace
}  // namespace cpe::cli
