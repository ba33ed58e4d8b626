#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "tests/support/temp_dir.h"

namespace cpe::platform {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t kSettingChars = 64;

class IniRead : public ::testing::Test {
protected:
    void TearDown() override { SetAnsiCodeset(""); }
    std::string Get(std::string_view section, std::string_view key, std::string_view def = "<default>",
                    std::size_t chars = kSettingChars) {
        return GetPrivateProfileString(section, key, def, chars, file_);
    }
    void Write(std::string_view bytes) { test::WriteBytes(file_, bytes); }

    test::TempDir dir_;
    std::filesystem::path file_ = dir_ / "Setting.ini";
};

TEST_F(IniRead, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(Get("Color", "LineColor", "215,215,215"), "215,215,215");
    Write("[Color]\r\nLineColor=1,2,3\r\n");
    EXPECT_EQ(Get("Font", "LineColor"), "<default>");
    EXPECT_EQ(Get("Color", "GridTextColor"), "<default>");
    // The default loses its trailing blanks and is cut like a value.
    EXPECT_EQ(Get("Color", "x", "dflt  "), "dflt");
    EXPECT_EQ(Get("Color", "x", "abcdef", 4), "abc");
    EXPECT_EQ(Get("Color", "x", "abc", 0), "");
}

TEST_F(IniRead, NamesMatchWithoutRegardToCaseAndBlanks) {
    Write("[ Color ]\r\n  lineCOLOR  =  1,2,3  \r\n[FONT]\nButtonMenuFontName = Arial\n");
    EXPECT_EQ(Get("color", "LineColor"), "1,2,3");
    EXPECT_EQ(Get("COLOR", "linecolor"), "1,2,3");
    EXPECT_EQ(Get("Font", "buttonmenufontname"), "Arial");
    EXPECT_EQ(Get(" Font ", " ButtonMenuFontName "), "Arial");
}

TEST_F(IniRead, PresentButEmptyValueIsNotTheDefault) {
    Write("[Color]\nLineColor=\nOther=   \n");
    EXPECT_EQ(Get("Color", "LineColor"), "");
    EXPECT_EQ(Get("Color", "Other"), "");
}

TEST_F(IniRead, OnePairOfSurroundingQuotesIsRemoved) {
    Write("[S]\n"
          "dq=\"  spaced  \"\n"
          "sq='single'\n"
          "nested=\"\"twice\"\"\n"
          "mixed=\"open'\n"
          "lone=\"\n"
          "inner=a \"b\" c\n");
    EXPECT_EQ(Get("S", "dq"), "  spaced  ");
    EXPECT_EQ(Get("S", "sq"), "single");
    EXPECT_EQ(Get("S", "nested"), "\"twice\"");
    EXPECT_EQ(Get("S", "mixed"), "\"open'");
    EXPECT_EQ(Get("S", "lone"), "\"");
    EXPECT_EQ(Get("S", "inner"), "a \"b\" c");
}

TEST_F(IniRead, ValuesAreCutToTheCallersBuffer) {
    const std::string longValue(100, 'x');
    Write("[Font]\nButtonMenuFontName=" + longValue + "\nquoted=\"" + longValue + "\"\n");
    EXPECT_EQ(Get("Font", "ButtonMenuFontName"), std::string(63, 'x'));
    EXPECT_EQ(Get("Font", "quoted"), std::string(63, 'x'));
    EXPECT_EQ(Get("Font", "ButtonMenuFontName", "", 1024), longValue);
    EXPECT_EQ(Get("Font", "ButtonMenuFontName", "", 1), "");
}

TEST_F(IniRead, CutCountsUtf16UnitsAndKeepsCharactersWhole) {
    std::string chinese;
    for (int i = 0; i < 70; ++i)
        chinese += "\xE4\xB8\xAD";  // 70 x "中"
    std::string emoji;
    for (int i = 0; i < 40; ++i)
        emoji += "\xF0\x9F\x93\xA1";  // 40 x surrogate pair
    Write("[S]\ncjk=" + chinese + "\nemoji=" + emoji + "\n");
    EXPECT_EQ(Get("S", "cjk"), chinese.substr(0, 63 * 3));
    EXPECT_EQ(Get("S", "emoji"), emoji.substr(0, 31 * 4));  // 62 units; a 63rd would split a pair
}

TEST_F(IniRead, CommentsMalformedLinesAndStrayEntriesAreIgnored) {
    Write("orphan=before any section\r\n"
          "; [Color]\r\n"
          "[Color]\r\n"
          ";LineColor=9,9,9\r\n"
          "   ; indented comment\r\n"
          "no equals sign here\r\n"
          "[broken section\r\n"
          "=value without key\r\n"
          "LineColor=1,2,3 ; not a comment\r\n"
          "LineColor=4,5,6\r\n"
          "[Color]\r\n"
          "GridTextColor=7,7,7\r\n");
    EXPECT_EQ(Get("Color", "LineColor"), "1,2,3 ; not a comment");  // first entry wins
    EXPECT_EQ(Get("Color", ";LineColor"), "<default>");
    EXPECT_EQ(Get("Color", "no equals sign here"), "<default>");
    EXPECT_EQ(Get("Color", "orphan"), "<default>");
    EXPECT_EQ(Get("Color", "[broken section"), "<default>");
    // Only the first section of a name is searched.
    EXPECT_EQ(Get("Color", "GridTextColor"), "<default>");
}

TEST_F(IniRead, LineEndsOfEveryKind) {
    Write("[A]\ra=1\rb=2\n\n[B]\r\nc=3");  // CR only, LF, CR LF, no end on the last line
    EXPECT_EQ(Get("A", "a"), "1");
    EXPECT_EQ(Get("A", "b"), "2");
    EXPECT_EQ(Get("B", "c"), "3");
}

TEST_F(IniRead, ReadsEveryFileEncoding) {
    Write(test::Utf16LeFile(u"[ProgramOutStr]\r\nDevice status=设备状态\r\n"));
    EXPECT_EQ(Get("programoutstr", "DEVICE STATUS"), "设备状态");

    Write("\xFE\xFF\x00[\x00S\x00]\x00\n\x00k\x00=\x4E\x2D"sv);  // UTF-16BE
    EXPECT_EQ(Get("S", "k"), "中");

    Write("\xEF\xBB\xBF[S]\nk=Caf\xC3\xA9\n");
    EXPECT_EQ(Get("S", "k"), "Café");

    Write("[S]\nk=Caf\xC3\xA9\n");
    EXPECT_EQ(Get("S", "k"), "Café");

    SetAnsiCodeset("CP936");
    Write("[S]\nk=\xC9\xE8\xB1\xB8\n");  // "设备" in the ANSI code set
    EXPECT_EQ(Get("S", "k"), "设备");
}

TEST_F(IniRead, BrokenEncodingsGiveADefinedResult) {
    // A damaged byte-order mark is no mark: the file is read as ANSI text and the damaged line
    // means nothing, whatever follows it on that line.
    Write("\xFF\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ(Get("S", "k"), "v");
    Write("\xFF[S]\r\nk=v\r\n");
    EXPECT_EQ(Get("S", "k"), "<default>");
    Write("\xEF\xBB[S]\r\nk=v\r\n");
    EXPECT_EQ(Get("S", "k"), "<default>");
    // UTF-16 with an odd byte count: the last byte is dropped.
    Write(test::Utf16LeFile(u"[S]\r\nk=v") + "\x41");
    EXPECT_EQ(Get("S", "k"), "v");
    // A byte-order mark alone.
    Write("\xFF\xFE");
    EXPECT_EQ(Get("S", "k"), "<default>");
    // UTF-16 with an unpaired surrogate.
    Write(test::Utf16LeFile(u"[S]\r\nk=a") + std::string("\x00\xD8", 2) + test::Utf16LeFile(u"b").substr(2));
    EXPECT_EQ(Get("S", "k"), "a\xEF\xBF\xBD"
                             "b");
    // Undecodable bytes in a UTF-8 file with byte-order mark spoil only their own line.
    Write("\xEF\xBB\xBF[S]\nbad=\xFF\xFE\nk=v\n");
    EXPECT_EQ(Get("S", "k"), "v");
    EXPECT_EQ(Get("S", "bad"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // Bytes that are neither UTF-8 nor valid in the ANSI code set.
    SetAnsiCodeset("CP936");
    Write("[S]\nk=ok\nbad=\xD6\n");
    EXPECT_EQ(Get("S", "k"), "ok");
    EXPECT_EQ(Get("S", "bad"), "\xEF\xBF\xBD");
}

TEST_F(IniRead, SomethingOtherThanAFileGivesTheDefaultWithoutBlocking) {
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);  // opening a FIFO for reading would wait
    EXPECT_EQ(Get("S", "k"), "<default>");
    std::filesystem::remove(file_);
    std::filesystem::create_directories(file_);
    EXPECT_EQ(Get("S", "k"), "<default>");
}

TEST_F(IniRead, SectionEntriesComeInFileOrder) {
    Write("[Other]\nx=0\n[Texts]\nFirst= \"one\" \nsecond=two\nFIRST=again\n[Texts]\nthird=3\n");
    const auto entries = ReadProfileSection("texts", 4, file_);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>("First", "one")));
    EXPECT_EQ(entries[1], (std::pair<std::string, std::string>("second", "two")));
    EXPECT_EQ(entries[2], (std::pair<std::string, std::string>("FIRST", "aga")));
    EXPECT_TRUE(ReadProfileSection("missing", 64, file_).empty());
    EXPECT_TRUE(ReadProfileSection("Texts", 64, dir_ / "absent.ini").empty());
}

}  // namespace
}  // namespace cpe::platform
