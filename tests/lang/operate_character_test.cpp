#include "lang/operate_character.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/codepage.h"
#include "platform/unicode_text.h"
#include "tests/support/temp_dir.h"

namespace cpe {
namespace {

// "中文字" in UTF-8 and "中文" in code page 936.
constexpr std::string_view kThreeChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97";
constexpr std::string_view kTwoChineseGbk = "\xD6\xD0\xCE\xC4";

class DeviceText : public ::testing::Test {
protected:
    void TearDown() override { platform::SetAnsiCodeset(""); }
};

std::string Trim(std::string_view src) {
    std::string dst = "untouched";
    return COperateCharacter::TrimUtf8Tail(src, dst) ? dst : "<fail:" + dst + ">";
}

TEST(TrimUtf8Tail, DropsOnlyAnIncompleteLastCharacter) {
    // Two Chinese characters and the first two bytes of a third keep the first two.
    EXPECT_EQ(Trim(kThreeChineseUtf8.substr(0, 8)), kThreeChineseUtf8.substr(0, 6));
    EXPECT_EQ(Trim(kThreeChineseUtf8.substr(0, 7)), kThreeChineseUtf8.substr(0, 6));
    EXPECT_EQ(Trim(kThreeChineseUtf8), kThreeChineseUtf8);
    EXPECT_EQ(Trim("ab\xF0\x9F\x93"), "ab");
    EXPECT_EQ(Trim("ab\xC3"), "ab");
}

TEST(TrimUtf8Tail, KeepsCompleteCharactersOfEveryLength) {
    EXPECT_EQ(Trim("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(Trim("AP-\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"),
              "AP-\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0");
    EXPECT_EQ(Trim("ab\xC3\xA9"), "ab\xC3\xA9");
    EXPECT_EQ(Trim("\xC3\xA9z"), "\xC3\xA9z");
    EXPECT_EQ(Trim("\xE4\xB8\xAD\xC3\xA9\xF0\x9F\x93\xA1"), "\xE4\xB8\xAD\xC3\xA9\xF0\x9F\x93\xA1");
    EXPECT_EQ(Trim("x"), "x");
}

TEST(TrimUtf8Tail, TreatsBytesThatCannotContinueAsTheEnd) {
    EXPECT_EQ(Trim("ab\x80"
                   "cd"),
              "ab");
    EXPECT_EQ(Trim("ab\xE4\xB8"
                   "cd"),
              "ab");
    EXPECT_EQ(Trim("\xE4\xB8\xAD\xFF\xE4\xB8\xAD"), "\xE4\xB8\xAD");
    // Nothing complete at the start: failure, and the destination is left alone.
    EXPECT_EQ(Trim(""), "<fail:untouched>");
    EXPECT_EQ(Trim("\x80"
                   "abc"),
              "<fail:untouched>");
    EXPECT_EQ(Trim("\xE4\xB8"), "<fail:untouched>");
}

// Any 32 received bytes: the kept part is a prefix, decodes cleanly, and is the longest such
// prefix (the next byte cannot start a complete character).
TEST(TrimUtf8Tail, KeepsTheLongestCleanPrefixOfAnyInput) {
    static constexpr char kBytes[] = {'a',    '\x80', '\xBF', '\xC3', '\xA9', '\xD0', '\xE4', '\xB8',
                                      '\xAD', '\xED', '\xA0', '\xF0', '\x9F', '\x93', '\xF8', '\xFF'};
    std::mt19937 rng(32);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kBytes - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string src;
        for (int n = 0; n < 32; ++n)
            src.push_back(kBytes[pick(rng)]);
        std::string dst;
        if (!COperateCharacter::TrimUtf8Tail(src, dst)) {
            EXPECT_EQ(platform::Utf8SequenceLength(src, 0), 0u) << i;
            continue;
        }
        ASSERT_TRUE(src.starts_with(dst)) << i;
        ASSERT_TRUE(platform::IsValidUtf8(dst)) << i;
        EXPECT_TRUE(dst.size() == src.size() || platform::Utf8SequenceLength(src, dst.size()) == 0) << i;
    }
}

TEST_F(DeviceText, FromDeviceConvertsReceivedUtf8ToTheAnsiCodeset) {
    platform::SetAnsiCodeset("CP936");
    // A name cut by the device inside its third character.
    EXPECT_EQ(COperateCharacter::FromDeviceText(kThreeChineseUtf8.substr(0, 8)), kTwoChineseGbk);
    EXPECT_EQ(COperateCharacter::FromDeviceText("AP-\xD0\x9C"), "AP-\xA7\xAE");  // Cyrillic М in GBK
    EXPECT_EQ(COperateCharacter::FromDeviceText("plain-ascii"), "plain-ascii");

    platform::SetAnsiCodeset("CP1252");
    EXPECT_EQ(COperateCharacter::FromDeviceText("ab\xC3\xA9"), "ab\xE9");
    EXPECT_EQ(COperateCharacter::FromDeviceText("\xC3\xA9"
                                                "cole"),
              "\xE9"
              "cole");

    platform::SetAnsiCodeset("UTF-8");
    EXPECT_EQ(COperateCharacter::FromDeviceText("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(COperateCharacter::FromDeviceText("Caf\xC3\xA9\xE4\xB8"), "Caf\xC3\xA9");
}

TEST_F(DeviceText, FromDeviceKeepsTheSourceWhenNothingCanBeConverted) {
    platform::SetAnsiCodeset("CP936");
    EXPECT_EQ(COperateCharacter::FromDeviceText("\x80\x81"), "\x80\x81");
    // The emoji has no GBK form: the (cut) UTF-8 text stays as it is.
    EXPECT_EQ(COperateCharacter::FromDeviceText("a\xF0\x9F\x93\xA1"), "a\xF0\x9F\x93\xA1");
    // Longer than a record field: handled as a whole, no overrun.
    std::string longName;
    for (int i = 0; i < 40; ++i)
        longName += "\xE4\xB8\xAD";
    longName += "\xE4";
    std::string expected;
    for (int i = 0; i < 40; ++i)
        expected += "\xD6\xD0";
    EXPECT_EQ(COperateCharacter::FromDeviceText(longName), expected);
}

TEST_F(DeviceText, ToDeviceSendsUtf8OnlyForCjkText) {
    platform::SetAnsiCodeset("CP936");
    EXPECT_EQ(COperateCharacter::ToDeviceText("AP-Office 5G"), "AP-Office 5G");
    EXPECT_EQ(COperateCharacter::ToDeviceText(kTwoChineseGbk), kThreeChineseUtf8.substr(0, 6));
    EXPECT_EQ(COperateCharacter::ToDeviceText("\xA7\xAE"), "\xA7\xAE");  // Cyrillic: not CJK
    EXPECT_EQ(COperateCharacter::ToDeviceText("\xD6"), "\xD6");          // broken: unchanged
}

TEST_F(DeviceText, AnsiAndUtf8RoundTripOrKeepTheSource) {
    platform::SetAnsiCodeset("GBK");
    EXPECT_EQ(COperateCharacter::AnsiToUtf8(kTwoChineseGbk), kThreeChineseUtf8.substr(0, 6));
    EXPECT_EQ(COperateCharacter::Utf8ToAnsi(kThreeChineseUtf8.substr(0, 6)), kTwoChineseGbk);
    EXPECT_EQ(COperateCharacter::AnsiToUtf8("ab\xD6"), "ab\xD6");
    EXPECT_EQ(COperateCharacter::Utf8ToAnsi("ab\xE4\xB8"), "ab\xE4\xB8");
    EXPECT_EQ(COperateCharacter::AnsiToUtf8(""), "");
}

TEST(CountCjk, CountsTheUnifiedIdeographRangeOnly) {
    EXPECT_EQ(COperateCharacter::CountCjk(u"设备 AP 中"), 3);
    EXPECT_EQ(COperateCharacter::CountCjk(u"\u4DFF\u4E00\u9FA5\u9FA6\u3042"), 2);
    EXPECT_EQ(COperateCharacter::CountCjk(u""), 0);
}

TEST(OperateFileIni, WritesThroughTheProfileRules) {
    test::TempDir dir;
    const std::string file = (dir / "FileServer.ini").string();
    EXPECT_TRUE(COperateFileIni::WriteIniString("Server", "Port", "8080", file));
    EXPECT_TRUE(COperateFileIni::WriteIniString("SERVER", "port", "8081", file));
    EXPECT_EQ(test::ReadBytes(file), "[Server]\r\nPort=8081\r\n");
    EXPECT_FALSE(COperateFileIni::WriteIniString("Server", "Port", "1\nEvil=1", file));
    EXPECT_FALSE(COperateFileIni::WriteIniString("Server", "Port", "1", (dir / "no" / "x.ini").string()));
}

}  // namespace
}  // namespace cpe
